#pragma once

#include "particles/Particle.h"
#include "render/VertexBuffer.h"
#include "scene/ParticleVertexSource.h"

#include <cstdint>

// A fixed-size array of particles mirrored into a vertex buffer. Emitters and operators change the
// records during the update walk; the drawable re-uploads them before each draw when the system is
// dynamic. Nothing is allocated after create.
class ParticleSystem : public ParticleVertexSource {
public:
    // 2^32 bytes of records and more are refused.
    static constexpr int kMaxCount = 89478485;

    ParticleSystem() = default;
    ~ParticleSystem() override;

    // Frees any old array, allocates `count` dead records and a vertex buffer of the same size
    // (dynamic-draw or static-draw usage), with no data yet. Needs a current GL context. False
    // for a negative count, one above kMaxCount or an allocation that fails; the old array is gone.
    [[nodiscard]] bool create(int count, bool dynamic = true);
    // The records alone, without a vertex buffer: simulation without GL (tools, tests).
    bool allocate(int count);
    // Copies every record into the vertex buffer (write-only mapping). Nothing without a buffer.
    bool upload();

    Particle* particles() { return particles_; }
    const Particle* particles() const { return particles_; }
    int count() const { return count_; }
    int capacity() const { return capacity_; }
    bool dynamic() const { return dynamic_; }
    const Ref<VertexBuffer>& vertexBuffer() const { return vertexBuffer_; }

    bool vertexDataChanged() const override { return dynamic_; }
    void uploadVertexData() override { upload(); }
    // The records up to the last one that was alive at the latest upload: the rest of the buffer
    // holds dead particles only, which the particle programs would discard anyway.
    int liveParticleCount() const override { return drawCount_; }

private:
    void release();

    Particle* particles_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    bool ownsStorage_ = false;
    Ref<VertexBuffer> vertexBuffer_;
    bool dynamic_ = true;
    int drawCount_ = 0;
};
