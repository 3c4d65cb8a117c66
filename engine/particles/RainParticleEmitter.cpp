#include "particles/RainParticleEmitter.h"

void RainParticleEmitter::afterLocalTransform(float time) {
    if (!system)
        return;
    beginStep(time);
    Particle* p = system->particles();
    const int n = system->count();
    const Vec3 extent = boxMax - boxMin;
    for (int i = 0; i < n; ++i) {
        Particle& q = p[i];
        q.position += q.velocity * step;
        q.reserved = Vec3();
        q.energy -= around(props.lifespan, props.lifespanVariance) * step;
        if (q.energy <= 0 && particlesToSpawn > 0) {
            initialise(q);
            q.velocity = Vec3(0, -1, 0) * around(props.speed, props.speedVariance);
            const float u = magnitude();
            const float w = magnitude();
            q.position = Vec3(boxMin.x + u * extent.x, boxMax.y, boxMin.z + w * extent.z);
            q.reserved = Vec3();
            --particlesToSpawn;
        }
    }
    particlesToSpawn = 0;
}
