#pragma once

#include "post/MultiPassEngine.h"

// Separable blur for depth of field: each iteration blurs horizontally into the first target and
// vertically into the second. No parameters; its saved block is the bare magic "BLUR".
class BlurEngine : public MultiPassEngine {
public:
    BlurEngine() = default;
    explicit BlurEngine(const Ref<Program>& program) : MultiPassEngine(program) {}

    bool setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) override;
    void render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) override;
    [[nodiscard]] bool readParams(InputStream& in) override;
    bool writeParams(OutputStream& out) const override;

private:
    GLint texelSize_ = -1;
};
