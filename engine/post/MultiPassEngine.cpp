#include "post/MultiPassEngine.h"

#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/QuadVertexBuffer.h"
#include "render/RenderStates.h"
#include "render/SamplerSet.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

namespace {
Ref<VertexBuffer>& quadSlot() {
    static Ref<VertexBuffer> quad;
    return quad;
}
} // namespace

MultiPassEngine::MultiPassEngine(const Ref<Program>& program) : program_(program) {}

MultiPassEngine::~MultiPassEngine() {
    MultiPassEngine::release();
}

const Ref<VertexBuffer>& MultiPassEngine::sharedQuad() {
    return quadSlot();
}

void MultiPassEngine::setProgram(const Ref<Program>& program) {
    program_ = program;
}

bool MultiPassEngine::setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    first_ = first;
    second_ = second;
    if (!quadSlot())
        quadSlot() = createQuadVertexBuffer();
    quad_ = quadSlot();
    return true;
}

void MultiPassEngine::release() {
    first_ = nullptr;
    second_ = nullptr;
    vertexArray_ = nullptr;
    if (quad_) {
        quad_ = nullptr;
        // Only the process-wide reference is left: this engine was the last user.
        if (quadSlot() && quadSlot()->referenceCount() == 1)
            quadSlot() = nullptr;
    }
}

bool MultiPassEngine::buildVertexArray() {
    if (!program_ || !quad_)
        return false;
    vertexArray_ = VertexArrayObject::create(*program_, *quad_, nullptr);
    return vertexArray_ != nullptr;
}

void MultiPassEngine::beginPass(Device& device, const Ref<Framebuffer>& target) const {
    device.applyBlend(BlendState());
    device.bindFramebuffer(target);
    device.bindProgram(program_);
}

void MultiPassEngine::drawPass(Device& device, const Ref<SamplerSet>& samplerSet) const {
    if (device.samplerSetBindingEnabled())
        device.bindSamplerSet(samplerSet);
    device.bindVertexArray(vertexArray_);
    device.checkState();
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    device.bindVertexArray(nullptr);
}

GLint MultiPassEngine::uniformLocation(const char* name) const {
    const UniformInfo* info = program_ ? program_->findUniform(name) : nullptr;
    return info && info->blockIndex < 0 ? info->location : -1;
}

const Ref<SamplerSet>& MultiPassEngine::samplerSet(const std::vector<Ref<SamplerSet>>& sets, size_t index) {
    static const Ref<SamplerSet> none;
    return index < sets.size() ? sets[index] : none;
}

bool MultiPassEngine::setUpTwoPass(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) {
    MultiPassEngine::setUp(first, second);
    return first_ && second_ && buildVertexArray();
}
