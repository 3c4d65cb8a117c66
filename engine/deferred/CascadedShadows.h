#pragma once

#include "core/Object.h"
#include "math/Mat4.h"
#include "math/Vec3.h"
#include "scene/ViewVolume.h"

#include <cstdint>

class AtmosphericalLight;
class Camera;
class DeferredScene;
class Device;
class Framebuffer;
class Program;

// One slice of the camera frustum with the light projection fitted around it.
struct ShadowCascade {
    ViewVolume viewVolume;
    Vec3 sliceCorners[8];
    Vec3 sliceCentre;
    Vec3 sliceBox[2] = {Vec3(3.402823466e38f, 3.402823466e38f, 3.402823466e38f),
                        Vec3(-3.402823466e38f, -3.402823466e38f, -3.402823466e38f)};
    float fieldOfView = 0.7853982f;
    float aspect = 1.0f;
    float nearZ = 0, farZ = 0;
    Vec3 lightBox[2];
    Mat4 crop;
    Mat4 projection;
    Mat4 lightView;
    Mat4 lightViewProjection;
};

// The sun's four cascaded shadow maps: splits of the camera range (three quarters logarithmic, one
// quarter uniform, overlapping by half a percent), a light view following the sun, orthographic
// projections cropped to each slice, and one depth-only pass per cascade over the shadow casters.
class CascadedShadows : public Object {
public:
    static constexpr int kCascades = 4;

    CascadedShadows();
    ~CascadedShadows() override;

    // Looks up "shadow_cascade_0..3", the texture "shadow_cascade" and "shadows/dirlight"; sets the
    // light's shadow map and casts-shadow flag. False, with a diagnostic, when something is missing
    // or a cascade target has no size.
    [[nodiscard]] bool load(AtmosphericalLight& light);
    void release();

    // Split distances for a camera range; false (nothing written) for a range with no frustum
    // (non-finite, near not positive, far not beyond near).
    static bool computeSplits(float nearZ, float farZ, float* nears, float* fars);
    // The eight corners of a frustum slice (near rectangle first: bottom-left, bottom-right,
    // top-right, top-left; then the far one), for a camera at `eye` with unit axes.
    static void frustumCorners(const Vec3& eye, const Vec3& forward, const Vec3& up, const Vec3& side,
                               float fovRadians, float aspect, float nearZ, float farZ, Vec3* corners);
    // The cascades for the current camera and sun direction; aspect is the screen's.
    bool fit(const Camera& camera, const Vec3& sunDirection, float screenAspect);
    // fit, then the four shadow passes and the light's cascade matrices and depths.
    void update(const Camera& camera, AtmosphericalLight& light, DeferredScene& scene, Ref<Device>& device,
                float screenAspect, float shadowIntensity);
    void renderShadowPass(const Ref<Framebuffer>& target, const Mat4& lightView, DeferredScene& scene,
                          Ref<Device>& device, const Mat4& lightProjection, uint32_t casterMask,
                          Mat4& shadowMatrix, const ViewVolume& viewVolume);

    ShadowCascade cascades[kCascades];
    Ref<Framebuffer> framebuffers[kCascades];
    Ref<Program> casterProgram;
    // Shadow passes run so far (for tests and the statistics).
    int passCount = 0;
};
