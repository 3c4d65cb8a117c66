#pragma once

#include "scene/Light.h"

class LinearLight : public Light {
public:
    explicit LinearLight(const Vec3& colour, float radius = 1.0f, float width = 1.0f)
        : Light(KindLinearLight, colour), radius(radius), width(width) {}

    float radius;
    float width;
};
