#include "particles/ParticleSystem.h"

#include "render/CodeTables.h"
#include "render/Gl.h"

#include <cstring>
#include <new>

namespace {

constexpr int kUsageDynamicDraw = 6;
constexpr int kSemanticNormal = 1, kSemanticColor = 2, kSemanticTangent = 3;

} // namespace

ParticleSystem::~ParticleSystem() {
    release();
}

void ParticleSystem::release() {
    if (ownsStorage_)
        delete[] particles_;
    particles_ = nullptr;
    count_ = capacity_ = drawCount_ = 0;
    ownsStorage_ = false;
}

bool ParticleSystem::allocate(int count) {
    release();
    if (count < 0 || count > kMaxCount)
        return false;
    if (count > 0) {
        particles_ = new (std::nothrow) Particle[size_t(count)];
        if (!particles_)
            return false;
        ownsStorage_ = true;
    }
    count_ = capacity_ = count;
    return true;
}

bool ParticleSystem::create(int count, bool dynamic) {
    vertexBuffer_ = nullptr;
    if (!allocate(count))
        return false;
    dynamic_ = dynamic;
    Ref<VertexBuffer> buffer = makeRef<VertexBuffer>();
    buffer->setStride(int(sizeof(Particle)));
    buffer->addElement(0, codes::kSemanticPosition, 3, 12);
    buffer->addElement(12, kSemanticNormal, 3, 12);
    buffer->addElement(24, kSemanticColor, 3, 12);
    buffer->addElement(36, kSemanticTangent, 3, 12);
    buffer->setVertexCount(count);
    buffer->create();
    buffer->bind();
    buffer->setData(dynamic ? kUsageDynamicDraw : codes::kUsageStaticDraw,
                    GLsizeiptr(count) * GLsizeiptr(sizeof(Particle)), nullptr);
    buffer->unbind();
    vertexBuffer_ = buffer;
    return true;
}

bool ParticleSystem::upload() {
    if (!vertexBuffer_ || count_ == 0) {
        drawCount_ = 0;
        return vertexBuffer_ != nullptr;
    }
    const GLsizeiptr bytes = GLsizeiptr(count_) * GLsizeiptr(sizeof(Particle));
    vertexBuffer_->bind();
    void* target = glMapBufferRange(vertexBuffer_->glTarget(), 0, bytes, GL_MAP_WRITE_BIT);
    VORNDLE_GL_CHECK("glMapBufferRange");
    if (!target) {
        vertexBuffer_->unbind();
        return false;
    }
    std::memcpy(target, particles_, size_t(bytes));
    const bool kept = glUnmapBuffer(vertexBuffer_->glTarget()) == GL_TRUE;
    vertexBuffer_->unbind();
    int last = count_;
    while (last > 0 && !(particles_[last - 1].energy >= 0))
        --last;
    drawCount_ = kept ? last : 0;
    return kept;
}
