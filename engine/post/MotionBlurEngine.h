#pragma once

#include "math/Mat4.h"
#include "post/MultiPassEngine.h"

// Camera motion blur in one pass into the second target: each pixel's position is rebuilt from
// depth with the current matrix, projected with the previous one, and the image is smeared along
// the difference. Its saved block is the bare magic "MOTB".
class MotionBlurEngine : public MultiPassEngine {
public:
    MotionBlurEngine() = default;
    explicit MotionBlurEngine(const Ref<Program>& program) : MultiPassEngine(program) {}

    bool setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) override;
    void render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) override;
    [[nodiscard]] bool readParams(InputStream& in) override;
    bool writeParams(OutputStream& out) const override;

    // The previous camera view followed by the current projection.
    Mat4 previousMatrix;
    // The inverse of the current camera view followed by its projection.
    Mat4 currentMatrix;

private:
    GLint texelSize_ = -1, previous_ = -1, current_ = -1;
};
