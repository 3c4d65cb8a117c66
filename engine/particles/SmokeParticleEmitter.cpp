#include "particles/SmokeParticleEmitter.h"

#include <cmath>

void SmokeParticleEmitter::afterLocalTransform(float time) {
    if (!system)
        return;
    beginStep(time);
    const Vec3 centre = transform.position;
    const Vec3 travelled = travelSinceLastStep(centre);
    Particle* p = system->particles();
    const int n = system->count();
    for (int i = 0; i < n; ++i) {
        Particle& q = p[i];
        if (q.energy >= 0) {
            q.position += q.velocity * step;
            q.velocity *= around(props.speed, props.speedVariance);
            const float grown = q.radius + around(radiusGrowth, radiusGrowthVariance) * step;
            q.radius = grown < maxRadius ? grown : maxRadius;
            q.energy -= around(props.lifespan, props.lifespanVariance) * step;
        } else if (particlesToSpawn > 0) {
            initialise(q);
            const float r1 = draw(), r2 = draw(), r3 = draw();
            const Vec3 d = Vec3(r3, std::fabs(r2) + 1.0f, r1).normalized();
            q.position = centre + travelled * magnitude();
            q.velocity = d * around(props.speed, props.speedVariance);
            q.reserved = Vec3();
            --particlesToSpawn;
        }
    }
    particlesToSpawn = 0;
}
