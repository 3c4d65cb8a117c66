#pragma once

#include "post/MultiPassEngine.h"

// Anti-aliasing of the lit image in one pass into the second target. No parameters; its saved
// block is the bare magic "FXAA".
class FXAAEngine : public MultiPassEngine {
public:
    FXAAEngine() = default;
    explicit FXAAEngine(const Ref<Program>& program) : MultiPassEngine(program) {}

    bool setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) override;
    void render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) override;
    [[nodiscard]] bool readParams(InputStream& in) override;
    bool writeParams(OutputStream& out) const override;

private:
    GLint texelSize_ = -1;
};
