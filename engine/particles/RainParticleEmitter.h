#pragma once

#include "particles/ParticleEmitter.h"

// Drops particles from the top face of a box, falling straight down. Every particle moves and ages
// each frame, alive or not; one whose energy ran out respawns while spawns are left.
class RainParticleEmitter : public ParticleEmitter {
public:
    RainParticleEmitter(const Ref<ParticleSystem>& system, const ParticleProps& props,
                        const Vec3& boxMin = Vec3(-1, -1, -1), const Vec3& boxMax = Vec3(1, 1, 1))
        : ParticleEmitter(system, props), boxMin(boxMin), boxMax(boxMax) {}

    void afterLocalTransform(float time) override;

    Vec3 boxMin;
    Vec3 boxMax;
};
