#pragma once

#include "render/VertexArrayObject.h"
#include "scene/Drawable.h"
#include "scene/ParticleVertexSource.h"

// Draws a particle system's live particles as points from the vertex array over its buffer.
class DrawableParticleSystem : public Drawable {
public:
    DrawableParticleSystem(const Ref<ParticleVertexSource>& particleSystem,
                           const Ref<VertexArrayObject>& vertexArray)
        : particleSystem_(particleSystem), vertexArray_(vertexArray) {}

    void draw(Device& device, float time) override;

    const Ref<ParticleVertexSource>& particleSystem() const { return particleSystem_; }
    const Ref<VertexArrayObject>& vertexArray() const { return vertexArray_; }

private:
    Ref<ParticleVertexSource> particleSystem_;
    Ref<VertexArrayObject> vertexArray_;
};
