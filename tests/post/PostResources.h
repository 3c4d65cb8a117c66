#pragma once

#include "math/Mat4.h"
#include "render/Device.h"

#include <cstdint>
#include <string>
#include <vector>

class BlitEngine;
class Framebuffer;

// Everything the post-processing chain reads, for tests and benchmarks: the G-buffer filled by
// the post example's ray-cast scene, the chain's targets, the engine's post shaders, random
// normals, a noise texture, a gradient ("test_gradient") and an output framebuffer ("output")
// the composite can be read back from. All of it goes into the registries.
namespace post_resources {

struct Camera {
    Mat4 view;
    Mat4 previousView;
    Mat4 projection;
};

constexpr float kNear = 0.5f, kFar = 60.0f;

// False with a reason in `error`.
bool build(int width, int height, std::string* error);
// Ray-casts the scene into the G-buffer at `time` (beats); the camera moves on.
void renderScene(Device& device, float time, Camera& camera);
// Gives the chain the camera (the previous view for motion blur).
void feedCamera(BlitEngine& blit, const Camera& camera);
// RGBA rows of a framebuffer's first colour attachment, top row first.
std::vector<uint8_t> readPixels(const Framebuffer& framebuffer);

} // namespace post_resources
