#pragma once

#include "scene/Light.h"

// A point light whose colour comes from a cube texture.
class CubeLight : public Light {
public:
    CubeLight(const Vec3& colour, const Ref<Texture>& cubeTexture, float radius = 1.0f)
        : Light(KindCubeLight, colour), cubeTexture(cubeTexture), radius(radius) {}

    Ref<Texture> cubeTexture;
    float radius;
};
