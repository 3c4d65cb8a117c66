#pragma once

#include "particles/ParticleOperator.h"

// A constant acceleration along the node's direction, scaled by strength and each particle's mass.
class GravityForceParticleOperator : public ParticleOperator {
public:
    explicit GravityForceParticleOperator(const Ref<ParticleSystem>& system, float strength = 1.0f)
        : ParticleOperator(system), strength(strength) {}

    void afterLocalTransform(float time) override;

    float strength;
};
