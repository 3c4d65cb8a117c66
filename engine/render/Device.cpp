#include "render/Device.h"

#include "render/CodeTables.h"
#include "render/Framebuffer.h"
#include "render/IndexBuffer.h"
#include "render/Program.h"
#include "render/SamplerSet.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

#include <cstring>

namespace {
bool gVendorIsNvidia = false;
bool gRendererIsSoftware = false;
bool gDefaultStateChecking = false;
bool gDefaultCachesEnabled = true;
} // namespace

void Device::setDefaultStateChecking(bool on) {
    gDefaultStateChecking = on;
}

void Device::setDefaultCachesEnabled(bool on) {
    gDefaultCachesEnabled = on;
}

bool Device::vendorIsNvidia() {
    return gVendorIsNvidia;
}

void Device::setVendorIsNvidia(bool nvidia) {
    gVendorIsNvidia = nvidia;
}

bool Device::rendererIsSoftware() {
    return gRendererIsSoftware;
}

Device::Device() : stateChecking_(gDefaultStateChecking), cachesEnabled_(gDefaultCachesEnabled) {
    defaultVertexArray_ = makeRef<VertexArrayObject>();
    defaultVertexArray_->generate();
    glBindVertexArray(defaultVertexArray_->glName());
    // The cache records culling as on, so GL has to agree from the start.
    glEnable(GL_CULL_FACE);
    GLint contextFlags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &contextFlags);
    wideLines_ = !(contextFlags & GL_CONTEXT_FLAG_FORWARD_COMPATIBLE_BIT);
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    vertexFragmentClamps_ = (profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT) != 0;
    sendStartState();
    const GLubyte* vendor = glGetString(GL_VENDOR);
    gVendorIsNvidia = vendor && std::strstr(reinterpret_cast<const char*>(vendor), "NVIDIA");
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    gRendererIsSoftware = false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "SWR"})
        gRendererIsSoftware = gRendererIsSoftware || (renderer && std::strstr(renderer, name));
}

Device::~Device() = default;

// GL's own start state differs from what the caches record in the blend factors (one and zero
// against zero and zero) and in the read clamp (fixed-point only against on), and a context an
// earlier device used may hold anything: every value the caches record goes out once.
void Device::sendStartState() {
    glDisable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ZERO);
    glBlendEquation(GL_FUNC_ADD);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_DEPTH_CLAMP);
    glDepthRange(0.0, 1.0);
    glDisable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    glStencilMask(~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glDisable(GL_SCISSOR_TEST);
    glPointSize(1.0f);
    glLineWidth(1.0f);
    // Core contexts keep only the read clamp.
    glClampColor(GL_CLAMP_READ_COLOR, GL_TRUE);
    for (GLenum mode : {GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE, GL_POLYGON_OFFSET_POINT})
        glDisable(mode);
    glPolygonOffset(0.0f, 0.0f);
    glDisable(GL_RASTERIZER_DISCARD);
    glDisable(GL_PROGRAM_POINT_SIZE);
    // Nor is anything bound yet.
    glUseProgram(0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
}

void Device::unbindProgramArrays() {
    // The arrays bindVertexBuffer enabled live in the device's own vertex array; a vertex array
    // object bound now keeps its recorded arrays (disabling them would spoil it for later draws).
    if (!vertexArray_)
        for (GLuint location : program_->attributeLocations())
            glDisableVertexAttribArray(location);
    program_->unuse();
}

void Device::unbindSamplerSet() {
    for (const SamplerSet::Binding& b : samplerSet_->bindings()) {
        glActiveTexture(GL_TEXTURE0 + GLenum(b.unit));
        glBindTexture(b.texture->glTarget(), 0);
    }
}

void Device::resetState() {
    applyBlend(BlendState());
    applyDepthStencil(DepthStencilState());
    applyRasterizer(RasterizerState());
    for (Mat4& m : matrices_)
        m = Mat4::identity();
    for (Mat3& m : normalMatrices_)
        m = Mat3::identity();
    if (program_) {
        unbindProgramArrays();
        program_ = nullptr;
    }
    if (vertexBuffer_) {
        vertexBuffer_->unbind();
        vertexBuffer_ = nullptr;
    }
    if (indexBuffer_) {
        indexBuffer_->unbind();
        indexBuffer_ = nullptr;
    }
    if (vertexArray_) {
        glBindVertexArray(0);
        vertexArray_ = nullptr;
        glBindVertexArray(defaultVertexArray_->glName());
    }
    if (samplerSet_) {
        unbindSamplerSet();
        samplerSet_ = nullptr;
    }
    if (bufferBindings_) {
        for (const BufferBindings::Binding& b : bufferBindings_->bindings())
            glBindBufferBase(b.buffer->glTarget(), b.point, 0);
        bufferBindings_ = nullptr;
    }
    rasterizerDiscardEnabled_ = false;
    glDisable(GL_RASTERIZER_DISCARD);
    if (programPointSizeEnabled_) {
        glDisable(GL_PROGRAM_POINT_SIZE);
        programPointSizeEnabled_ = false;
    }
    samplerSetBindingEnabled_ = true;
    programBindingEnabled_ = true;
    glEnable(GL_CULL_FACE);
}

void Device::bindFramebuffer(const Ref<Framebuffer>& framebuffer) {
    if (framebuffer_) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
    }
    framebuffer_ = framebuffer;
    if (!framebuffer_)
        return;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_->glName());
    if (framebuffer_->drawBufferCount() < 1) {
        glDrawBuffer(GL_NONE);
    } else {
        glDrawBuffers(framebuffer_->drawBufferCount(), framebuffer_->drawBuffers());
        glReadBuffer(GL_BACK);
    }
    setViewportAndScissor(framebuffer_->width(), framebuffer_->height());
}

void Device::setViewportAndScissor(int width, int height) {
    glViewport(0, 0, width, height);
    glScissor(0, 0, width, height);
    viewportWidth_ = width;
    viewportHeight_ = height;
}

void Device::bindDefaultFramebuffer(int width, int height) {
    if (!framebuffer_)
        return;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    framebuffer_ = nullptr;
    setViewportAndScissor(width, height);
}

void Device::bindProgram(const Ref<Program>& program) {
    if (!programBindingEnabled_)
        return;
    VORNDLE_EXPECTS(program, "resetState unbinds");
    if (program_)
        unbindProgramArrays();
    program_ = program;
    program_->use();
    uploadBindMatrices();
}

// The matrices that stay the same for a whole pass (projection, view, texture, shadow) reach every
// program bound during it; the per-node ones are set as each node draws.
void Device::uploadBindMatrices() {
    const uint32_t mask = program_->builtInMask();
    using namespace codes;
    for (int index : {kProjectionMatrix, kProjectionMatrixInverse, kViewMatrix, kViewMatrixInverse,
                      kTextureMatrix, kShadowMatrix})
        if (mask & (1u << index))
            glUniformMatrix4fv(program_->builtInLocation(index), 1, GL_TRUE, matrices_[index].m);
    if (mask & (1u << kViewNormalMatrix))
        glUniformMatrix3fv(program_->builtInLocation(kViewNormalMatrix), 1, GL_TRUE,
                           normalMatrices_[kViewNormalMatrix - kFirstNormalMatrix].m);
}

void Device::bindVertexBuffer(const Ref<VertexBuffer>& vertexBuffer) {
    VORNDLE_EXPECTS(vertexBuffer, "resetState unbinds");
    vertexBuffer_ = vertexBuffer;
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_->glName());
    if (!program_)
        return;
    VertexArrayObject::pointAttributes(*program_, *vertexBuffer_);
}

void Device::bindIndexBuffer(const Ref<IndexBuffer>& indexBuffer) {
    VORNDLE_EXPECTS(indexBuffer, "resetState unbinds");
    indexBuffer_ = indexBuffer;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_->glName());
    const bool shortIndices = indexBuffer_->indexSize() == 2;
    indexType_ = shortIndices ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
    indexSize_ = shortIndices ? 2 : 4;
}

void Device::bindVertexArray(const Ref<VertexArrayObject>& vertexArray) {
    vertexArray_ = vertexArray;
    if (!vertexArray_) {
        glBindVertexArray(defaultVertexArray_->glName());
        return;
    }
    glBindVertexArray(vertexArray_->glName());
    const bool shortIndices = vertexArray_->indexSize() == 2;
    indexType_ = shortIndices ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
    indexSize_ = shortIndices ? 2 : 4;
}

void Device::bindSamplerSet(const Ref<SamplerSet>& samplerSet) {
    if (!samplerSetBindingEnabled_)
        return;
    if (samplerSet_)
        unbindSamplerSet();
    samplerSet_ = samplerSet;
    if (!samplerSet_)
        return;
    for (const SamplerSet::Binding& b : samplerSet_->bindings()) {
        glActiveTexture(GL_TEXTURE0 + GLenum(b.unit));
        glBindTexture(b.texture->glTarget(), b.texture->glName());
    }
}

void Device::bindTexture(const std::string& samplerName, const Texture& texture) {
    if (!samplerSetBindingEnabled_ || !program_)
        return;
    const SamplerInfo* sampler = program_->findSampler(samplerName);
    if (!sampler)
        return;
    glActiveTexture(GL_TEXTURE0 + GLenum(sampler->unit));
    glBindTexture(texture.glTarget(), texture.glName());
}

void Device::bindBufferBindings(const Ref<BufferBindings>& bindings) {
    if (bufferBindings_)
        for (const BufferBindings::Binding& b : bufferBindings_->bindings())
            glBindBufferBase(b.buffer->glTarget(), b.point, 0);
    bufferBindings_ = bindings;
    if (bufferBindings_)
        for (const BufferBindings::Binding& b : bufferBindings_->bindings())
            glBindBufferBase(b.buffer->glTarget(), b.point, b.buffer->glName());
}

void Device::setMatrix(int index, const Mat4& matrix) {
    VORNDLE_EXPECTS(index >= 0 && index < codes::kFirstNormalMatrix, "a 4x4 matrix slot");
    matrices_[index] = matrix;
    if (program_ && (program_->builtInMask() & (1u << index)))
        glUniformMatrix4fv(program_->builtInLocation(index), 1, GL_TRUE, matrices_[index].m);
}

void Device::setNormalMatrix(int index, const Mat3& matrix) {
    VORNDLE_EXPECTS(index >= codes::kFirstNormalMatrix && index < codes::kBuiltInMatrixCount,
                    "a 3x3 matrix slot");
    normalMatrices_[index - codes::kFirstNormalMatrix] = matrix;
    if (program_ && (program_->builtInMask() & (1u << index)))
        glUniformMatrix3fv(program_->builtInLocation(index), 1, GL_TRUE,
                           normalMatrices_[index - codes::kFirstNormalMatrix].m);
}

void Device::setRasterizerDiscard(bool enabled) {
    if (enabled == rasterizerDiscardEnabled_)
        return;
    rasterizerDiscardEnabled_ = enabled;
    enabled ? glEnable(GL_RASTERIZER_DISCARD) : glDisable(GL_RASTERIZER_DISCARD);
}

void Device::setProgramPointSize(bool enabled) {
    if (enabled == programPointSizeEnabled_)
        return;
    programPointSizeEnabled_ = enabled;
    enabled ? glEnable(GL_PROGRAM_POINT_SIZE) : glDisable(GL_PROGRAM_POINT_SIZE);
}
