#pragma once

#include "scene/Light.h"

// Light from the node's local +Z axis, without falloff. The two parameters belong to the
// production's scene template, which reads and animates them.
class DirectionalLight : public Light {
public:
    explicit DirectionalLight(const Vec3& colour, float parameter0 = 0.16666667f, float parameter1 = 256.0f)
        : Light(KindDirectionalLight, colour), parameter0(parameter0), parameter1(parameter1) {}

    float parameter0;
    float parameter1;
};
