#pragma once

#include "scene/Light.h"

class AreaLight : public Light {
public:
    explicit AreaLight(const Vec3& colour, float radius = 1.0f)
        : Light(KindAreaLight, colour), radius(radius) {}

    float radius;
};
