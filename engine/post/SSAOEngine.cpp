#include "post/SSAOEngine.h"

#include "demo/Registries.h"
#include "math/RandomDraw.h"
#include "post/ParamBlock.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"

#include <cmath>

namespace {}

void SSAOEngine::computeKernel(int width, int height, float* kernel) {
    RandomDraw random(1);
    const float w = float(width > 0 ? width : 1), h = float(height > 0 ? height : 1);
    for (int i = 0; i < kKernelSize; ++i) {
        const float u = 16.0f * random.next();
        const float v = 16.0f * random.next();
        kernel[3 * i] = u / w;
        kernel[3 * i + 1] = v / h;
        kernel[3 * i + 2] = 1.0f - std::sqrt(u * u + v * v) * 0.044194173f;
    }
}

bool SSAOEngine::setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    MultiPassEngine::setUp(first, second);
    program_ = programRegistry().find("post/ssao");
    if (!second_ || !buildVertexArray())
        return false;
    // The kernel is measured in pixels of the target the occlusion is computed in: the first when
    // there is one (it may be smaller than the picture the blur composes).
    const Framebuffer& occlusionTarget = first_ ? *first_ : *second_;
    computeKernel(occlusionTarget.width(), occlusionTarget.height(), kernel_);
    // Written straight into the program: the device's binding stays as it is.
    glProgramUniform3fv(program_->glName(), uniformLocation("gi_samples"), kKernelSize, kernel_);
    texelSize_ = uniformLocation("TexelSize");
    invViewport_ = uniformLocation("InvViewport");
    cameraRange_ = uniformLocation("CameraRange");
    screenSize_ = uniformLocation("ScreenSize");
    radius_ = uniformLocation("radius");
    attBias_ = uniformLocation("attBias");
    attScale_ = uniformLocation("attScale");
    attPower_ = uniformLocation("attPower");
    giScale_ = uniformLocation("giScale");
    depthScale_ = uniformLocation("depthScale");
    coeffs_ = uniformLocation("projCoeffs");
    pass_ = uniformLocation("Pass");
    return true;
}

void SSAOEngine::setInverseProjection(const Mat4& inverseProjection) {
    inverseProjection_ = inverseProjection;
    const float coefficients[5] = {inverseProjection.m[0], inverseProjection.m[5], inverseProjection.m[11],
                                   inverseProjection.m[14], inverseProjection.m[15]};
    setProjectionCoefficients(coefficients);
}

void SSAOEngine::setProjectionCoefficients(const float* coefficients) {
    for (int i = 0; i < 5; ++i)
        projCoeffs_[i] = coefficients[i];
}

void SSAOEngine::render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int) {
    if (!ready())
        return;
    // A first target splits the work: raw occlusion there, then the depth-aware blur composes.
    const bool blurred = first_ && samplerSets.size() > 1;
    device.setMatrix(codes::kProjectionMatrixInverse, inverseProjection_);
    for (int pass = blurred ? 0 : 1; pass < 2; ++pass) {
        const Ref<Framebuffer>& target = pass == 0 ? first_ : second_;
        const float w = float(target->width()), h = float(target->height());
        beginPass(device, target);
        glUniform2f(texelSize_, 1.0f / w, 1.0f / h);
        glUniform2f(invViewport_, 1.0f / w, 1.0f / h);
        const float n = params.nearZ, f = params.farZ;
        glUniform4f(cameraRange_, n, f, f - n, -(f * n));
        glUniform2f(screenSize_, w, h);
        glUniform1f(radius_, params.radius);
        glUniform1f(attBias_, params.attBias);
        glUniform1f(attScale_, params.attScale);
        glUniform1f(attPower_, params.attPower);
        glUniform1f(giScale_, params.giScale);
        glUniform1f(depthScale_, params.depthScale);
        glUniform1fv(coeffs_, 5, projCoeffs_);
        // 0: occlusion only, 1: occlusion and compose, 2: blur the occlusion and compose.
        glUniform1i(pass_, blurred ? pass * 2 : 1);
        drawPass(device, samplerSet(samplerSets, size_t(blurred ? pass : 0)));
    }
}

bool SSAOEngine::readParams(InputStream& in) {
    float v[8];
    if (!param_block::readMagic(in, "SSAO") || !param_block::readFloats(in, v, 8))
        return false;
    params = Params{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
    return true;
}

bool SSAOEngine::writeParams(OutputStream& out) const {
    const float v[8] = {params.nearZ,    params.farZ,     params.radius,  params.attBias,
                        params.attScale, params.attPower, params.giScale, params.depthScale};
    return param_block::writeMagic(out, "SSAO") && param_block::writeFloats(out, v, 8);
}
