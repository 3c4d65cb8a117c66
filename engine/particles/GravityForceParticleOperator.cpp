#include "particles/GravityForceParticleOperator.h"

void GravityForceParticleOperator::afterLocalTransform(float time) {
    beginStep(time);
    if (!system)
        return;
    const Vec3 g = direction() * strength;
    Particle* p = system->particles();
    const int n = system->count();
    for (int i = 0; i < n; ++i)
        p[i].velocity += g * (p[i].mass * step);
}
