#include "post/LightStreaksEngine.h"

#include "post/ParamBlock.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"

#include <cmath>

LightStreaksEngine::LightStreaksEngine() {
    weights[0] = weights[1] = Vec4(0.25f, 0.1875f, 0.125f, 0.06f);
    normalizeWeights();
}

LightStreaksEngine::LightStreaksEngine(const Ref<Program>& program) : LightStreaksEngine() {
    program_ = program;
}

void LightStreaksEngine::normalizeWeights() {
    for (Vec4& w : weights) {
        // In double precision: no float square overflows or underflows there.
        const double x = w.x, y = w.y, z = w.z, v = w.w;
        const double squared = x * x + y * y + z * z + v * v;
        // A zero vector has no direction to keep; dividing would fill it with NaN.
        if (!(squared > 0.0) || !std::isfinite(squared)) {
            w = Vec4();
            continue;
        }
        // Unit vectors stay as they are, bit for bit: dividing again could nudge the last bits,
        // and a block written and read back must not change.
        if (std::fabs(squared - 1.0) <= 4e-7)
            continue;
        const double length = std::sqrt(squared);
        w = Vec4(float(x / length), float(y / length), float(z / length), float(v / length));
    }
}

bool LightStreaksEngine::setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    if (!setUpTwoPass(first, second))
        return false;
    texelSize_ = uniformLocation("TexelSize");
    direction_ = uniformLocation("Direction");
    weights_ = uniformLocation("Weights");
    b_ = uniformLocation("B");
    color_ = uniformLocation("color");
    return true;
}

void LightStreaksEngine::render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets,
                                int passCount) {
    if (!ready())
        return;
    if (passCount < 0)
        passCount = 0;
    passCount += passCount & 1;
    device.bindFramebuffer(second_);
    // An explicit clear value: the context's clear colour is whatever the last user left.
    static const GLfloat black[4] = {0, 0, 0, 0};
    glClearBufferfv(GL_COLOR, 0, black);
    const float directionValues[4] = {directions[0].x, directions[0].y, directions[1].x, directions[1].y};
    const float weightValues[8] = {weights[0].x, weights[0].y, weights[0].z, weights[0].w,
                                   weights[1].x, weights[1].y, weights[1].z, weights[1].w};
    for (int i = 0; i < passCount; ++i) {
        const bool odd = (i & 1) != 0;
        const Ref<Framebuffer>& target = odd ? second_ : first_;
        beginPass(device, target);
        glUniform2f(texelSize_, 1.0f / float(target->width()), 1.0f / float(target->height()));
        glUniform2fv(direction_, 2, directionValues);
        glUniform4fv(weights_, 2, weightValues);
        glUniform1f(b_, float(i + 1));
        if (i == 0)
            glUniform4f(color_, color.x, color.y, color.z, color.w);
        else
            glUniform4f(color_, 0, 0, 0, 1);
        drawPass(device, samplerSet(samplerSets, odd ? 1 : i == 0 ? 0 : 2));
    }
}

bool LightStreaksEngine::readParams(InputStream& in) {
    float v[16];
    if (!param_block::readMagic(in, "LSTK") || !param_block::readFloats(in, v, 16))
        return false;
    color = Vec4(v[0], v[1], v[2], v[3]);
    directions[0] = Vec2(v[4], v[5]);
    directions[1] = Vec2(v[6], v[7]);
    weights[0] = Vec4(v[8], v[9], v[10], v[11]);
    weights[1] = Vec4(v[12], v[13], v[14], v[15]);
    normalizeWeights();
    return true;
}

bool LightStreaksEngine::writeParams(OutputStream& out) const {
    const float v[16] = {color.x,         color.y,         color.z,         color.w,
                         directions[0].x, directions[0].y, directions[1].x, directions[1].y,
                         weights[0].x,    weights[0].y,    weights[0].z,    weights[0].w,
                         weights[1].x,    weights[1].y,    weights[1].z,    weights[1].w};
    return param_block::writeMagic(out, "LSTK") && param_block::writeFloats(out, v, 16);
}
