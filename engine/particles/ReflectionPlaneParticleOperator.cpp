#include "particles/ReflectionPlaneParticleOperator.h"

void ReflectionPlaneParticleOperator::afterLocalTransform(float time) {
    beginStep(time);
    if (!system || strength == 0)
        return;
    const Vec3 point = transform.position;
    const Vec3 n = direction();
    const float k = strength;
    const float energyLoss = step / k;
    Particle* p = system->particles();
    const int count = system->count();
    for (int i = 0; i < count; ++i) {
        Particle& q = p[i];
        const float h = n.dot(q.position - point);
        if (h < 0) {
            q.velocity -= n * (q.velocity.dot(n) * k * step);
            q.position -= n * (h * k * step);
            q.energy -= energyLoss;
        }
    }
}
