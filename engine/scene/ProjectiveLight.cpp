#include "scene/ProjectiveLight.h"

#include <cmath>

ProjectiveLight::ProjectiveLight(const Vec3& colour, const Ref<Texture>& projectionTexture, float radius,
                                 float fov, float coneAngle, float edgeAngle, float aspect)
    : Light(KindProjectiveLight, colour), radius(radius), fov(fov), cosCone(std::cos(coneAngle)),
      cosEdge(std::cos(coneAngle - edgeAngle)), aspect(aspect), projectionTexture(projectionTexture) {}

bool ProjectiveLight::updateProjectionTextureMatrix(const Mat4& cameraView) {
    const float nearZ = 1.0f;
    const float farZ = radius * 1.1f;
    if (!(aspect > 0) || !std::isfinite(aspect) || !(farZ > nearZ) || !std::isfinite(farZ) ||
        !(fov > 0 && fov < 180))
        return false;
    const Mat4 bias =
        Mat4::fromValues({0.25f, 0, 0, 0.5f, 0, -0.25f, 0, 0.5f, 0, 0, 0.25f, 0.5f, 0, 0, 0, 1});
    const Mat4 projection = Mat4::perspective(fov, aspect, nearZ, farZ);
    projectionTextureMatrix = bias * projection * Mat4::inverse(cameraView * transform.world);
    return true;
}
