#pragma once

#include "particles/ParticleOperator.h"

// A soft floor: particles behind the plane through the node's position (normal: the node's
// direction, not normalised) are pushed back out and lose their velocity into the plane and
// energy, both in proportion to strength. Strength 0 is a plane that does nothing (the energy
// loss, step / strength, would be infinite).
class ReflectionPlaneParticleOperator : public ParticleOperator {
public:
    explicit ReflectionPlaneParticleOperator(const Ref<ParticleSystem>& system, float strength = 1.0f)
        : ParticleOperator(system), strength(strength) {}

    void afterLocalTransform(float time) override;

    float strength;
};
