#pragma once

#include "PostResources.h"
#include "post/BlitEngine.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "support/GlTest.h"

// A GL test with everything the chain reads at 320 x 180 (post_resources), a fresh device and
// empty registries afterwards.
class PostChainTest : public GlTest {
protected:
    static constexpr int kWidth = 320, kHeight = 180;

    void SetUp() override;
    void TearDown() override;

    ::testing::AssertionResult buildResources();
    void renderScene(float time) { post_resources::renderScene(*device, time, camera); }
    void feedCamera(BlitEngine& blit) const { post_resources::feedCamera(blit, camera); }
    std::vector<uint8_t> readPixels(const Ref<Framebuffer>& framebuffer) const {
        return post_resources::readPixels(*framebuffer);
    }

    Ref<Device> device;
    Ref<Framebuffer> output;
    post_resources::Camera camera;
};
