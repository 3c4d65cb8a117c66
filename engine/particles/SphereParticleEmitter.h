#pragma once

#include "particles/ParticleEmitter.h"

// Spawns particles on a sphere around the emitter, flying outwards; a moving emitter spreads its
// spawns along the path it took since the last frame.
class SphereParticleEmitter : public ParticleEmitter {
public:
    SphereParticleEmitter(const Ref<ParticleSystem>& system, const ParticleProps& props,
                          float sphereRadius = 1.0f, float sphereRadiusVariance = 0.0f)
        : ParticleEmitter(system, props), sphereRadius(sphereRadius),
          sphereRadiusVariance(sphereRadiusVariance) {}

    void afterLocalTransform(float time) override;

    float sphereRadius;
    float sphereRadiusVariance;
};
