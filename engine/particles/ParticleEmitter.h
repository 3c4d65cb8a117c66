#pragma once

#include "math/RandomDraw.h"
#include "particles/ParticleSystem.h"
#include "scene/Envelope.h"
#include "scene/Node.h"

#include <cstdint>

// A scene node that spawns, moves and ages the particles of one system, once per update walk in
// its afterLocalTransform hook. Each emitter draws from its own random generator, so the same
// scene gives the same particles on every run. The emitter's position is the node's own position.
class ParticleEmitter : public Node {
public:
    uint32_t randomState = vmath::kRandomSeed;
    Ref<ParticleSystem> system;
    ParticleProps props;
    int32_t particlesToSpawn = 0;
    float spawnCarry = 0;
    float previousTime = 0;
    float step = 0;
    // When set, drives props.spawnRate.
    Ref<Envelope> spawnRateEnvelope;

protected:
    ParticleEmitter(const Ref<ParticleSystem>& system, const ParticleProps& props)
        : Node(KindPlain), system(system), props(props) {}

    // The step (|t - previous time|, so particles age forward even when time runs backwards) and
    // the whole number of particles to spawn this frame; the fraction carries over.
    void beginStep(float time);
    // Radius, energy and mass of a new particle, in that order of draws.
    void initialise(Particle& p);
    float draw() { return vmath::randomDraw(randomState); }
    float magnitude() { return vmath::randomMagnitude(randomState); }
    float around(float value, float variance) { return vmath::randomAround(randomState, value, variance); }
    // How far the emitter moved since the last step (previous minus current position), for emitters
    // that spread their spawns along the way. The first step has moved nothing: spawns would
    // otherwise streak from the origin to wherever the emitter starts.
    Vec3 travelSinceLastStep(const Vec3& centre) {
        if (!tracking_) {
            previousPosition_ = centre;
            tracking_ = true;
        }
        const Vec3 travelled = previousPosition_ - centre;
        previousPosition_ = centre;
        return travelled;
    }

private:
    Vec3 previousPosition_;
    bool tracking_ = false;
};
