#pragma once

#include "scene/Light.h"

// A light that projects a texture along the node's local +Z axis, like a slide projector.
class ProjectiveLight : public Light {
public:
    ProjectiveLight(const Vec3& colour, const Ref<Texture>& projectionTexture, float radius = 1.0f,
                    float fov = 90.0f, float coneAngle = 45.0f, float edgeAngle = 40.0f, float aspect = 1.0f);

    // B · P · inverse(cameraView · world): camera view-space positions to projection-texture
    // coordinates, with P the perspective of fov and aspect from 1 to radius × 1.1. Refused
    // (false, matrix unchanged) when that perspective does not exist (aspect not positive, far
    // not beyond near, fov outside (0, 180)).
    bool updateProjectionTextureMatrix(const Mat4& cameraView);

    float radius;
    float fov;
    float cosCone;
    float cosEdge;
    float aspect;
    Ref<Texture> projectionTexture;
    Mat4 projectionTextureMatrix;
};
