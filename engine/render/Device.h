#pragma once

#include "core/Contract.h"
#include "core/Object.h"
#include "math/Mat3.h"
#include "math/Mat4.h"
#include "render/BufferBindings.h"
#include "render/CodeTables.h"
#include "render/Gl.h"
#include "render/RenderStates.h"

#include <string>

class FrameProfiler;
class Framebuffer;
class Program;
class VertexBuffer;
class IndexBuffer;
class VertexArrayObject;
class SamplerSet;
class Texture;

// Owner of every GL binding of the context and of the fixed-function state caches. All binds go
// through it so a later bind can undo what an earlier one left behind; fixed-function state goes
// through the apply operations, which send only what differs from the cache. Binds are never
// filtered. One device exists per context; create it once the context is current.
class Device : public Object {
public:
    Device();
    ~Device() override;

    // Puts GL and the caches back into the start state and releases every binding.
    void resetState();

    // Null binds the window's back buffer. Sets draw buffers, viewport and scissor.
    void bindFramebuffer(const Ref<Framebuffer>& framebuffer);
    // Does nothing unless a framebuffer is current (the viewport is then left alone).
    void bindDefaultFramebuffer(int width, int height);
    // Repeats every step even for the program already bound; ignored while program binding is
    // switched off.
    void bindProgram(const Ref<Program>& program);
    // Points the current program's attributes at the buffer's elements; bind the program first.
    void bindVertexBuffer(const Ref<VertexBuffer>& vertexBuffer);
    void bindIndexBuffer(const Ref<IndexBuffer>& indexBuffer);
    // Null binds the device's own array and keeps the index type.
    void bindVertexArray(const Ref<VertexArrayObject>& vertexArray);
    void bindSamplerSet(const Ref<SamplerSet>& samplerSet);
    // Binds `texture` on the unit of the current program's sampler uniform `samplerName`.
    void bindTexture(const std::string& samplerName, const Texture& texture);
    // Null only unbinds the current list.
    void bindBufferBindings(const Ref<BufferBindings>& bindings);

    void applyBlend(const BlendState& state);
    void applyDepthStencil(const DepthStencilState& state);
    void applyRasterizer(const RasterizerState& state);

    // Checking mode: after every apply operation and wherever checkState is called (every draw
    // site calls it just before drawing), every piece of state the device believes GL holds is
    // read back from GL and compared. The first difference is reported once, through the handler,
    // naming the state, what the device believed, what GL holds and where it was found; the
    // device then stops checking. Off, checkState costs one test of a flag and sends nothing.
    void checkState(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
        if (stateChecking_)
            verifyState(file, line);
    }
    void setStateChecking(bool on) { stateChecking_ = on; }
    bool stateChecking() const { return stateChecking_; }
    // With the caches off every apply operation sends each call as if nothing were known of GL;
    // the caches still follow what is sent, so they may be switched back on at any time.
    void setCachesEnabled(bool on) { cachesEnabled_ = on; }
    bool cachesEnabled() const { return cachesEnabled_; }
    // The two switches for devices created from now on (the player's --check-state and
    // --no-state-cache options, and the tests, set them before the device exists).
    static void setDefaultStateChecking(bool on);
    static void setDefaultCachesEnabled(bool on);
    // Receives the one-line report of a difference; null (the start) prints it on standard error.
    using StateDifferenceHandler = void (*)(const std::string& report);
    static void setStateDifferenceHandler(StateDifferenceHandler handler);
    // Differences reported by every device of the process so far.
    static unsigned long stateDifferencesReported();

    // Built-in matrices by slot (codes::BuiltInMatrix): 4x4 below kFirstNormalMatrix, 3x3 from it;
    // a slot of the other kind is a fault of the caller. Uploaded at once when the bound program
    // uses them; the pass-wide ones also reach every program bound later.
    void setMatrix(int index, const Mat4& matrix);
    void setNormalMatrix(int index, const Mat3& matrix);
    const Mat4& matrix(int index) const {
        VORNDLE_EXPECTS(index >= 0 && index < codes::kFirstNormalMatrix, "a 4x4 matrix slot");
        return matrices_[index];
    }
    const Mat3& normalMatrix(int index) const {
        VORNDLE_EXPECTS(index >= codes::kFirstNormalMatrix && index < codes::kBuiltInMatrixCount,
                        "a 3x3 matrix slot");
        return normalMatrices_[index - codes::kFirstNormalMatrix];
    }

    void setRasterizerDiscard(bool enabled);
    void setProgramPointSize(bool enabled);
    bool programPointSizeEnabled() const { return programPointSizeEnabled_; }

    GLenum indexType() const { return indexType_; }
    int indexSize() const { return indexSize_; }
    const Ref<Program>& program() const { return program_; }
    const Ref<Framebuffer>& framebuffer() const { return framebuffer_; }
    const Ref<VertexArrayObject>& vertexArray() const { return vertexArray_; }
    const Ref<VertexArrayObject>& defaultVertexArray() const { return defaultVertexArray_; }
    const Ref<SamplerSet>& samplerSet() const { return samplerSet_; }
    bool programBindingEnabled() const { return programBindingEnabled_; }
    void setProgramBindingEnabled(bool enabled) { programBindingEnabled_ = enabled; }
    bool samplerSetBindingEnabled() const { return samplerSetBindingEnabled_; }
    void setSamplerSetBindingEnabled(bool enabled) { samplerSetBindingEnabled_ = enabled; }
    const BlendState& blendCache() const { return blend_; }
    const DepthStencilState& depthStencilCache() const { return depthStencil_; }
    const RasterizerState& rasterizerCache() const { return rasterizer_; }
    // GL calls sent by the three apply operations since construction.
    unsigned long stateCallCount() const { return stateCalls_; }
    // GL calls the three apply operations left out since construction because the cache already
    // held the value: one per call a device without caches would have sent for the same record
    // (each enable or disable, function, mask and parameter call it compares).
    unsigned long stateCallsRemovedCount() const { return stateCallsRemoved_; }
    // The profiler that the passes of a frame report to (ProfileScope), or null: profiling off,
    // and then the passes issue no call of their own. Not owned; the owner clears it first.
    FrameProfiler* profiler() const { return profiler_; }
    void setProfiler(FrameProfiler* profiler) { profiler_ = profiler; }

    // Whether the GL vendor string contains "NVIDIA": only then do programs get sampler objects.
    // Recorded by the constructor; tests may override it.
    static bool vendorIsNvidia();
    static void setVendorIsNvidia(bool nvidia);
    // Whether the GL renderer rasterises in software (Mesa's llvmpipe and kin), where some
    // features (anisotropic filtering) cost far more than on a GPU. Recorded by the constructor.
    static bool rendererIsSoftware();

private:
    template <bool Known> void sendBlend(const BlendState& state);
    template <bool Known> void sendDepthStencil(const DepthStencilState& state);
    template <bool Known> void sendRasterizer(const RasterizerState& state);
    void verifyState(const char* file, int line);
    void sendStartState();
    void setViewportAndScissor(int width, int height);
    void unbindProgramArrays();
    void unbindSamplerSet();
    void uploadBindMatrices();

    Ref<Framebuffer> framebuffer_;
    Ref<Program> program_;
    Ref<VertexBuffer> vertexBuffer_;
    Ref<IndexBuffer> indexBuffer_;
    Ref<VertexArrayObject> vertexArray_;
    Ref<VertexArrayObject> defaultVertexArray_;
    Ref<SamplerSet> samplerSet_;
    Ref<BufferBindings> bufferBindings_;
    GLenum indexType_ = GL_UNSIGNED_SHORT;
    int indexSize_ = 2;
    BlendState blend_;
    DepthStencilState depthStencil_;
    RasterizerState rasterizer_;
    Mat4 matrices_[codes::kFirstNormalMatrix];
    Mat3 normalMatrices_[codes::kBuiltInMatrixCount - codes::kFirstNormalMatrix];
    bool programBindingEnabled_ = true;
    bool rasterizerDiscardEnabled_ = false;
    bool samplerSetBindingEnabled_ = true;
    bool programPointSizeEnabled_ = false;
    unsigned long stateCalls_ = 0;
    unsigned long stateCallsRemoved_ = 0;
    // Viewport and scissor box last sent (width and height; both start at the origin); negative
    // until the device first sets them.
    int viewportWidth_ = -1;
    int viewportHeight_ = -1;
    // Whether line widths above one exist (not in forward-compatible contexts).
    bool wideLines_ = true;
    // Whether the vertex and fragment colour clamps exist (only in compatibility contexts).
    bool vertexFragmentClamps_ = false;
    bool stateChecking_;
    bool cachesEnabled_;
    FrameProfiler* profiler_ = nullptr;
};
