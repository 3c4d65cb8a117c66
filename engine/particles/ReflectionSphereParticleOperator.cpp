#include "particles/ReflectionSphereParticleOperator.h"

#include <cmath>

void ReflectionSphereParticleOperator::afterLocalTransform(float time) {
    beginStep(time);
    if (!system || strength == 0)
        return;
    const Vec3 centre = transform.position;
    const float radiusSquared = radius * radius;
    const float s = strength;
    const float energyLoss = step / s;
    Particle* p = system->particles();
    const int count = system->count();
    for (int i = 0; i < count; ++i) {
        Particle& q = p[i];
        const Vec3 o = centre - q.position;
        const float d2 = o.dot(o);
        if (d2 > 0 && d2 < radiusSquared) {
            const float distance = std::sqrt(d2);
            const Vec3 n = o * (1.0f / distance);
            q.velocity -= n * (q.velocity.dot(n) * s * step);
            q.position += n * (distance * s * step);
            q.energy -= energyLoss;
        }
    }
}
