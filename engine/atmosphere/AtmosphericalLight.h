#pragma once

#include "atmosphere/AtmosphereModel.h"
#include "math/Mat4.h"
#include "render/UniformBuffer.h"
#include "scene/Light.h"

class Program;

// The sun and sky of a scene: a light that carries an atmosphere model and the uniform buffer the
// light pass binds as the block "AtmosphereModel", plus the cascade data the shadow passes write.
class AtmosphericalLight : public Light {
public:
    static constexpr int kCascades = 4;

    explicit AtmosphericalLight(const Vec3& colour = Vec3(1, 1, 1)) : Light(KindAtmosphericalLight, colour) {}

    // Creates a dynamic-draw buffer with room for three copies of the program's block, holds the
    // model, records where the program put each block member and uploads once. False (nothing held)
    // when the program has no block "AtmosphereModel" or no model is given.
    bool attach(const Program& program, const Ref<AtmosphereModel>& model);

    Ref<AtmosphereModel> model;
    Ref<UniformBuffer> uniformBuffer;
    float cascadeDepths[kCascades] = {0, 0, 0, 0};
    Mat4 cascadeMatrices[kCascades];
};
