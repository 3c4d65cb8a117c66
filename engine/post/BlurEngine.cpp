#include "post/BlurEngine.h"

#include "post/ParamBlock.h"
#include "render/Device.h"
#include "render/Framebuffer.h"

bool BlurEngine::setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    if (!setUpTwoPass(first, second))
        return false;
    texelSize_ = uniformLocation("TexelSize");
    return true;
}

void BlurEngine::render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) {
    if (!ready())
        return;
    for (int i = 0; i < passCount; ++i) {
        beginPass(device, first_);
        glUniform2f(texelSize_, 1.0f / float(first_->width()), 0.0f);
        drawPass(device, pingPongSet(samplerSets, i, false));
        beginPass(device, second_);
        glUniform2f(texelSize_, 0.0f, 1.0f / float(second_->height()));
        drawPass(device, pingPongSet(samplerSets, i, true));
    }
}

bool BlurEngine::readParams(InputStream& in) {
    return param_block::readMagic(in, "BLUR");
}

bool BlurEngine::writeParams(OutputStream& out) const {
    return param_block::writeMagic(out, "BLUR");
}
