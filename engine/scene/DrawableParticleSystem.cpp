#include "scene/DrawableParticleSystem.h"

#include "render/Device.h"
#include "render/Gl.h"

void DrawableParticleSystem::draw(Device& device, float) {
    if (!particleSystem_ || !vertexArray_)
        return;
    if (particleSystem_->vertexDataChanged())
        particleSystem_->uploadVertexData();
    const int live = particleSystem_->liveParticleCount();
    if (live <= 0)
        return;
    device.bindVertexArray(vertexArray_);
    device.checkState();
    glDrawArrays(GL_POINTS, 0, live);
    device.bindVertexArray(nullptr);
}
