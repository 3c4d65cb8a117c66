#pragma once

#include "math/Mat4.h"
#include "post/MultiPassEngine.h"

// Screen-space ambient occlusion over the G-buffer: looks up its own program "post/ssao", builds
// its 16-sample kernel once at set-up and multiplies the colour input by the occlusion term in
// one pass into the second target. With a first target as well, the raw occlusion goes there
// first and a depth-aware blur of it composes into the second target.
class SSAOEngine : public MultiPassEngine {
public:
    static constexpr int kKernelSize = 16;

    struct Params {
        float nearZ = 1.0f;
        float farZ = 1024.0f;
        float radius = 0.2f;
        float attBias = 0.0f;
        float attScale = 1.0f;
        float attPower = 1.0f;
        float giScale = 1.0f;
        float depthScale = 1.0f;
    };

    SSAOEngine() = default;

    bool setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) override;
    void render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) override;
    [[nodiscard]] bool readParams(InputStream& in) override;
    bool writeParams(OutputStream& out) const override;

    // The kernel for a target of `width` x `height` pixels: screen offsets (u / w, v / h) and a
    // weight, from the random draw with state 1 (48 floats).
    static void computeKernel(int width, int height, float* kernel);

    // The inverse of the camera projection, and the projection coefficients taken from it.
    void setInverseProjection(const Mat4& inverseProjection);
    const Mat4& inverseProjection() const { return inverseProjection_; }
    void setProjectionCoefficients(const float* coefficients);
    const float* projectionCoefficients() const { return projCoeffs_; }
    void setNearFar(float nearZ, float farZ) {
        params.nearZ = nearZ;
        params.farZ = farZ;
    }
    const float* kernel() const { return kernel_; }

    Params params;

private:
    Mat4 inverseProjection_;
    float projCoeffs_[5] = {1, 1, -1, 0, 1};
    float kernel_[kKernelSize * 3] = {};
    GLint texelSize_ = -1, invViewport_ = -1, cameraRange_ = -1, screenSize_ = -1, radius_ = -1,
          attBias_ = -1, attScale_ = -1, attPower_ = -1, giScale_ = -1, depthScale_ = -1, coeffs_ = -1,
          pass_ = -1;
};
