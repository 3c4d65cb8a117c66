#pragma once

#include "scene/Light.h"

// Light from the node's position, reaching `radius`.
class PointLight : public Light {
public:
    explicit PointLight(const Vec3& colour, float radius = 1.0f, float particleRadius = 0.0f)
        : Light(KindPointLight, colour), radius(radius), particleRadius(particleRadius) {}

    float radius;
    float particleRadius;
};
