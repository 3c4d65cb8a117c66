#include "post/FXAAEngine.h"

#include "post/ParamBlock.h"
#include "render/Device.h"
#include "render/Framebuffer.h"

bool FXAAEngine::setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    MultiPassEngine::setUp(first, second);
    if (!second_ || !buildVertexArray())
        return false;
    texelSize_ = uniformLocation("TexelSize");
    return true;
}

void FXAAEngine::render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int) {
    if (!ready())
        return;
    beginPass(device, second_);
    glUniform2f(texelSize_, 1.0f / float(second_->width()), 1.0f / float(second_->height()));
    drawPass(device, samplerSet(samplerSets, 0));
}

bool FXAAEngine::readParams(InputStream& in) {
    return param_block::readMagic(in, "FXAA");
}

bool FXAAEngine::writeParams(OutputStream& out) const {
    return param_block::writeMagic(out, "FXAA");
}
