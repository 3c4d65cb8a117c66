#pragma once

#include "math/Mat4.h"
#include "post/BlitEngine.h"
#include "render/Device.h"
#include "support/GlTest.h"

#include <cstdint>
#include <string>
#include <vector>

class Framebuffer;

// A GL test with everything the post-processing chain reads, at 320 x 180: the G-buffer filled
// by the post example's ray-cast scene at a fixed time, the chain's targets, the engine's post
// shaders, the random normals, a noise texture and a gradient; plus an output framebuffer the
// composite can be read back from.
class PostChainTest : public GlTest {
protected:
    static constexpr int kWidth = 320, kHeight = 180;
    static constexpr float kNear = 0.5f, kFar = 60.0f;

    void SetUp() override;
    void TearDown() override;

    // Builds the programs, textures and framebuffers into the registries; false with a message.
    ::testing::AssertionResult buildResources();
    // Ray-casts the scene into the G-buffer at `time` (beats) and remembers its camera.
    void renderScene(float time);
    // Gives the chain the camera of the last renderScene (and the previous one for motion blur).
    void feedCamera(BlitEngine& blit) const;
    // RGBA rows of a framebuffer's first colour attachment, top row first.
    std::vector<uint8_t> readPixels(const Ref<Framebuffer>& framebuffer) const;

    Ref<Device> device;
    Ref<Framebuffer> output;
    Mat4 view, previousView, projection;
};
