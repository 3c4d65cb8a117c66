#pragma once

#include "particles/ParticleSystem.h"
#include "scene/Node.h"

// A scene node that changes the velocities and positions of one system's particles once per update
// walk, in its afterLocalTransform hook. Its step is signed: time running backwards runs the force
// backwards. The operator's point is the node's own position; its direction (gravity, plane
// normal) is the second row of the node's local matrix.
class ParticleOperator : public Node {
public:
    Ref<ParticleSystem> system;
    float previousTime = 0;
    float step = 0;

protected:
    explicit ParticleOperator(const Ref<ParticleSystem>& system) : Node(KindPlain), system(system) {}

    // Signed step since the previous update.
    void beginStep(float time) {
        step = time - previousTime;
        previousTime = time;
    }
    Vec3 direction() const { return {transform.local.m[4], transform.local.m[5], transform.local.m[6]}; }
};
