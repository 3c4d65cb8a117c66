#include "support/GlStub.h"

#include "render/Gl.h"

#include <type_traits>

namespace {

size_t gCalls = 0;

template <auto* Pointer, class F> struct Stub;
template <auto* Pointer, class R, class... A> struct Stub<Pointer, R(GLAPIENTRY*)(A...)> {
    static inline R(GLAPIENTRY* saved)(A...) = nullptr;

    static R GLAPIENTRY call(A...) {
        ++gCalls;
        if constexpr (!std::is_void_v<R>)
            return R{};
    }
    static void swap(bool on) {
        if (on) {
            saved = *Pointer;
            *Pointer = &call;
        } else {
            *Pointer = saved;
        }
    }
};

#define VORNDLE_STUB(suffix)                                                                                 \
    Stub<&__glew##suffix, std::remove_reference_t<decltype(__glew##suffix)>>::swap(on)

void swapAll(bool on) {
    VORNDLE_STUB(UseProgram);
    VORNDLE_STUB(BindFramebuffer);
    VORNDLE_STUB(DrawBuffers);
    VORNDLE_STUB(ClearBufferfv);
    VORNDLE_STUB(BindVertexArray);
    VORNDLE_STUB(BindBuffer);
    VORNDLE_STUB(VertexAttribPointer);
    VORNDLE_STUB(EnableVertexAttribArray);
    VORNDLE_STUB(DisableVertexAttribArray);
    VORNDLE_STUB(ActiveTexture);
    VORNDLE_STUB(BindSampler);
    VORNDLE_STUB(BlendFuncSeparate);
    VORNDLE_STUB(BlendEquation);
    VORNDLE_STUB(ClampColor);
    VORNDLE_STUB(Uniform1i);
    VORNDLE_STUB(Uniform1f);
    VORNDLE_STUB(Uniform1fv);
    VORNDLE_STUB(Uniform2f);
    VORNDLE_STUB(Uniform2fv);
    VORNDLE_STUB(Uniform3f);
    VORNDLE_STUB(Uniform3fv);
    VORNDLE_STUB(Uniform4f);
    VORNDLE_STUB(Uniform4fv);
    VORNDLE_STUB(UniformMatrix3fv);
    VORNDLE_STUB(UniformMatrix4fv);
}

bool gActive = false;

} // namespace

GlStub::GlStub() {
    if (gActive)
        return;
    gActive = true;
    gCalls = 0;
    swapAll(true);
}

GlStub::~GlStub() {
    if (!gActive)
        return;
    swapAll(false);
    gActive = false;
}

bool GlStub::swallowDirect() {
    if (!gActive)
        return false;
    ++gCalls;
    return true;
}

size_t GlStub::calls() {
    return gCalls;
}
