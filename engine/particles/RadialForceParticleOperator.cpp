#include "particles/RadialForceParticleOperator.h"

#include <cmath>

void RadialForceParticleOperator::afterLocalTransform(float time) {
    beginStep(time);
    if (!system)
        return;
    const Vec3 centre = transform.position;
    const float radiusSquared = radius * radius;
    Particle* p = system->particles();
    const int n = system->count();
    for (int i = 0; i < n; ++i) {
        Particle& q = p[i];
        const Vec3 o = centre - q.position;
        const float d2 = o.dot(o);
        // A particle exactly at the centre has no direction to be pulled in.
        if (d2 > 0 && d2 < radiusSquared)
            q.velocity += o * (strength / std::sqrt(d2) * q.mass * step);
    }
}
