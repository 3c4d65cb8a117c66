#pragma once

#include "core/Object.h"

// What a drawable particle system needs of the system it draws: whether its vertex data changed
// since the last upload, the upload itself, and how many particles are alive. Particle systems
// implement it; the scene graph draws them without knowing how particles move.
class ParticleVertexSource : public Object {
public:
    virtual bool vertexDataChanged() const = 0;
    virtual void uploadVertexData() = 0;
    virtual int liveParticleCount() const = 0;
};
