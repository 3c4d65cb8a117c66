#pragma once

#include "particles/ParticleOperator.h"

// A pull of constant magnitude towards the node's position on every particle inside the radius
// (a negative strength pushes away).
class RadialForceParticleOperator : public ParticleOperator {
public:
    explicit RadialForceParticleOperator(const Ref<ParticleSystem>& system, float radius = 1.0f,
                                         float strength = 1.0f)
        : ParticleOperator(system), radius(radius), strength(strength) {}

    void afterLocalTransform(float time) override;

    float radius;
    float strength;
};
