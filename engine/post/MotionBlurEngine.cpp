#include "post/MotionBlurEngine.h"

#include "post/ParamBlock.h"
#include "render/Device.h"
#include "render/Framebuffer.h"

bool MotionBlurEngine::setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    MultiPassEngine::setUp(first, second);
    if (!second_ || !buildVertexArray())
        return false;
    texelSize_ = uniformLocation("TexelSize");
    previous_ = uniformLocation("PreviousMatrix");
    current_ = uniformLocation("CurrentMatrix");
    return true;
}

void MotionBlurEngine::render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int) {
    if (!ready())
        return;
    beginPass(device, second_);
    glUniform2f(texelSize_, 1.0f / float(second_->width()), 1.0f / float(second_->height()));
    glUniformMatrix4fv(previous_, 1, GL_TRUE, previousMatrix.m);
    glUniformMatrix4fv(current_, 1, GL_TRUE, currentMatrix.m);
    drawPass(device, samplerSet(samplerSets, 0));
}

bool MotionBlurEngine::readParams(InputStream& in) {
    return param_block::readMagic(in, "MOTB");
}

bool MotionBlurEngine::writeParams(OutputStream& out) const {
    return param_block::writeMagic(out, "MOTB");
}
