#pragma once

#include "scene/Light.h"

class AmbientLight : public Light {
public:
    explicit AmbientLight(const Vec3& colour) : Light(KindAmbientLight, colour) {}
};
