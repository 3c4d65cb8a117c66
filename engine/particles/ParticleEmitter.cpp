#include "particles/ParticleEmitter.h"

#include <cmath>

void ParticleEmitter::beginStep(float time) {
    step = std::fabs(time - previousTime);
    previousTime = time;
    if (spawnRateEnvelope)
        props.spawnRate = spawnRateEnvelope->evaluate(time);
    float x = around(props.spawnRate, props.spawnRateVariance) * step + spawnCarry;
    // A whole frame can never use more spawns than a system holds; the bound also keeps the
    // conversion to an integer defined for huge rates, and a rate that is not a number spawns none.
    constexpr float kBound = 1073741824.0f;
    if (!(x == x))
        x = 0;
    else if (x > kBound)
        x = kBound;
    else if (x < -kBound)
        x = -kBound;
    particlesToSpawn = int32_t(x);
    spawnCarry = x - float(particlesToSpawn);
}

void ParticleEmitter::initialise(Particle& p) {
    p.radius = around(props.radius, props.radiusVariance);
    p.energy = around(props.energy, props.energyVariance);
    p.mass = around(props.mass, props.massVariance);
}
