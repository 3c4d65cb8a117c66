#pragma once

#include "particles/ParticleEmitter.h"

// Spawns particles at the emitter (spread along its path since the last frame) rising upwards, and
// grows them as they age up to a maximum radius.
class SmokeParticleEmitter : public ParticleEmitter {
public:
    SmokeParticleEmitter(const Ref<ParticleSystem>& system, const ParticleProps& props,
                         float radiusGrowth = 1.0f, float radiusGrowthVariance = 0.0f, float maxRadius = 1.0f)
        : ParticleEmitter(system, props), radiusGrowth(radiusGrowth),
          radiusGrowthVariance(radiusGrowthVariance), maxRadius(maxRadius) {}

    void afterLocalTransform(float time) override;

    // Radius units per second.
    float radiusGrowth;
    float radiusGrowthVariance;
    float maxRadius;
};
