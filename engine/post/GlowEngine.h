#pragma once

#include "math/Vec4.h"
#include "post/MultiPassEngine.h"

// Glow: the first pass keeps what exceeds the threshold (colour rgb) scaled by colour alpha,
// then every iteration blurs horizontally into the first target and vertically into the second,
// each iteration with twice the tap spacing of the one before (a Gaussian pyramid without the
// smaller images).
class GlowEngine : public MultiPassEngine {
public:
    GlowEngine() = default;
    explicit GlowEngine(const Ref<Program>& program) : MultiPassEngine(program) {}

    bool setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) override;
    void render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) override;
    [[nodiscard]] bool readParams(InputStream& in) override;
    bool writeParams(OutputStream& out) const override;

    Vec4 color{0.5f, 0.5f, 0.5f, 0.5f};

private:
    GLint texelSize_ = -1, color_ = -1, step_ = -1;
};
