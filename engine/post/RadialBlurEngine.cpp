#include "post/RadialBlurEngine.h"

#include "post/ParamBlock.h"
#include "render/Device.h"
#include "render/Framebuffer.h"

bool RadialBlurEngine::setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    if (!setUpTwoPass(first, second))
        return false;
    texelSize_ = uniformLocation("TexelSize");
    color_ = uniformLocation("color");
    origin_ = uniformLocation("Origin");
    params_ = uniformLocation("RadialBlurParams");
    return true;
}

void RadialBlurEngine::pass(Device& device, const Ref<Framebuffer>& target, const Ref<SamplerSet>& set,
                            bool first) const {
    beginPass(device, target);
    if (first)
        glUniform4f(color_, color.x, color.y, color.z, color.w);
    else
        glUniform4f(color_, 0, 0, 0, 1);
    glUniform2f(texelSize_, 1.0f / float(target->width()), 1.0f / float(target->height()));
    glUniform2f(origin_, origin.x, origin.y);
    glUniform2f(params_, radialParams.x, radialParams.y);
    drawPass(device, set);
}

void RadialBlurEngine::render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets,
                              int passCount) {
    if (!ready())
        return;
    for (int i = 0; i < passCount; ++i) {
        pass(device, first_, pingPongSet(samplerSets, i, false), i == 0);
        pass(device, second_, pingPongSet(samplerSets, i, true), false);
    }
}

bool RadialBlurEngine::readParams(InputStream& in) {
    float v[8];
    if (!param_block::readMagic(in, "RADB") || !param_block::readFloats(in, v, 8))
        return false;
    color = Vec4(v[0], v[1], v[2], v[3]);
    origin = Vec2(v[4], v[5]);
    radialParams = Vec2(v[6], v[7]);
    return true;
}

bool RadialBlurEngine::writeParams(OutputStream& out) const {
    const float v[8] = {color.x,  color.y,  color.z,        color.w,
                        origin.x, origin.y, radialParams.x, radialParams.y};
    return param_block::writeMagic(out, "RADB") && param_block::writeFloats(out, v, 8);
}
