#pragma once

#include "particles/ParticleOperator.h"

// A ball that captures: particles inside the radius around the node's position lose their velocity
// along the line to the centre, are drawn along that line towards the centre and lose energy, all
// in proportion to strength. Strength 0 does nothing (the energy loss, step / strength, would be
// infinite).
class ReflectionSphereParticleOperator : public ParticleOperator {
public:
    explicit ReflectionSphereParticleOperator(const Ref<ParticleSystem>& system, float radius = 1.0f,
                                              float strength = 1.0f)
        : ParticleOperator(system), radius(radius), strength(strength) {}

    void afterLocalTransform(float time) override;

    float radius;
    float strength;
};
