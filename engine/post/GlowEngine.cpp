#include "post/GlowEngine.h"

#include "post/ParamBlock.h"
#include "render/Device.h"
#include "render/Framebuffer.h"

bool GlowEngine::setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    if (!setUpTwoPass(first, second))
        return false;
    texelSize_ = uniformLocation("TexelSize");
    color_ = uniformLocation("color");
    step_ = uniformLocation("Step");
    return true;
}

void GlowEngine::render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) {
    if (!ready())
        return;
    float step = 1.0f;
    for (int i = 0; i < passCount; ++i, step *= 2.0f) {
        beginPass(device, first_);
        glUniform2f(texelSize_, 1.0f / float(first_->width()), 0.0f);
        if (i == 0)
            glUniform4f(color_, color.x, color.y, color.z, color.w);
        else
            glUniform4f(color_, 0, 0, 0, 1);
        glUniform1f(step_, step);
        drawPass(device, pingPongSet(samplerSets, i, false));
        beginPass(device, second_);
        glUniform2f(texelSize_, 0.0f, 1.0f / float(second_->height()));
        glUniform4f(color_, 0, 0, 0, 1);
        glUniform1f(step_, step);
        drawPass(device, pingPongSet(samplerSets, i, true));
    }
}

bool GlowEngine::readParams(InputStream& in) {
    float v[4];
    if (!param_block::readMagic(in, "GLOW") || !param_block::readFloats(in, v, 4))
        return false;
    color = Vec4(v[0], v[1], v[2], v[3]);
    return true;
}

bool GlowEngine::writeParams(OutputStream& out) const {
    const float v[4] = {color.x, color.y, color.z, color.w};
    return param_block::writeMagic(out, "GLOW") && param_block::writeFloats(out, v, 4);
}
