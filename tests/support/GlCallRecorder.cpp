#include "support/GlCallRecorder.h"

#include "render/Gl.h"

#include <dlfcn.h>

#include <algorithm>

namespace {

GlCallRecorder* gActive = nullptr;
bool gWrapSeen = false;
bool gCounting = false;
uint64_t gTotal = 0;

// Every entry point the recorder can stand in for, with its stub's counter.
struct EntryPoint {
    const char* name;
    uint64_t* counter;
    void (*setCounting)(bool counting);
};
std::vector<EntryPoint>& entryPoints() {
    static std::vector<EntryPoint> all;
    return all;
}

template <class... Args> void note(const char* name, Args... args) {
    if (gActive)
        GlCallRecorder::record(glCall(name, args...));
}

// GLEW entry points: the hook replaces GLEW's pointer with a recording trampoline that calls the
// driver's function.
template <auto* Pointer, class F> struct Hook;
template <auto* Pointer, class R, class... A> struct Hook<Pointer, R(GLAPIENTRY*)(A...)> {
    static inline R(GLAPIENTRY* original)(A...) = nullptr;
    static inline const char* name = nullptr;

    static inline uint64_t counter = 0;

    static R GLAPIENTRY call(A... args) {
        note(name, args...);
        return original(args...);
    }
    static R GLAPIENTRY stub(A...) {
        ++counter;
        ++gTotal;
        if constexpr (!std::is_void_v<R>)
            return R{};
    }
    static void setCounting(bool counting) { *Pointer = counting ? &stub : &call; }
    static void install(const char* glName) {
        if (original || !*Pointer)
            return;
        name = glName;
        original = *Pointer;
        *Pointer = &call;
        entryPoints().push_back({glName, &counter, &setCounting});
    }
};

#define VORNDLE_HOOK(suffix)                                                                                 \
    Hook<&__glew##suffix, std::remove_reference_t<decltype(__glew##suffix)>>::install("gl" #suffix)

void installHooks() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    VORNDLE_HOOK(BlendFuncSeparate);
    VORNDLE_HOOK(BlendEquation);
    VORNDLE_HOOK(ClampColor);
    VORNDLE_HOOK(ActiveTexture);
    VORNDLE_HOOK(TexImage3D);
    VORNDLE_HOOK(GenerateMipmap);
    VORNDLE_HOOK(TexBuffer);
    VORNDLE_HOOK(BindBuffer);
    VORNDLE_HOOK(BindBufferBase);
    VORNDLE_HOOK(BindBufferRange);
    VORNDLE_HOOK(GenBuffers);
    VORNDLE_HOOK(DeleteBuffers);
    VORNDLE_HOOK(BufferData);
    VORNDLE_HOOK(BindVertexArray);
    VORNDLE_HOOK(GenVertexArrays);
    VORNDLE_HOOK(DeleteVertexArrays);
    VORNDLE_HOOK(VertexAttribPointer);
    VORNDLE_HOOK(EnableVertexAttribArray);
    VORNDLE_HOOK(DisableVertexAttribArray);
    VORNDLE_HOOK(UseProgram);
    VORNDLE_HOOK(BindSampler);
    VORNDLE_HOOK(GenSamplers);
    VORNDLE_HOOK(DeleteSamplers);
    VORNDLE_HOOK(SamplerParameteri);
    VORNDLE_HOOK(SamplerParameterf);
    VORNDLE_HOOK(SamplerParameterfv);
    VORNDLE_HOOK(BindFramebuffer);
    VORNDLE_HOOK(DrawBuffers);
    VORNDLE_HOOK(FramebufferTexture);
    VORNDLE_HOOK(FramebufferTexture1D);
    VORNDLE_HOOK(FramebufferTexture2D);
    VORNDLE_HOOK(FramebufferTexture3D);
    VORNDLE_HOOK(FramebufferTextureLayer);
    VORNDLE_HOOK(FramebufferRenderbuffer);
    VORNDLE_HOOK(CheckFramebufferStatus);
    VORNDLE_HOOK(GenFramebuffers);
    VORNDLE_HOOK(DeleteFramebuffers);
    VORNDLE_HOOK(GenRenderbuffers);
    VORNDLE_HOOK(BindRenderbuffer);
    VORNDLE_HOOK(RenderbufferStorage);
    VORNDLE_HOOK(DeleteRenderbuffers);
    VORNDLE_HOOK(Uniform1i);
    VORNDLE_HOOK(Uniform1iv);
    VORNDLE_HOOK(Uniform1f);
    VORNDLE_HOOK(Uniform1fv);
    VORNDLE_HOOK(Uniform2f);
    VORNDLE_HOOK(Uniform2fv);
    VORNDLE_HOOK(Uniform3f);
    VORNDLE_HOOK(Uniform3fv);
    VORNDLE_HOOK(Uniform4f);
    VORNDLE_HOOK(Uniform4fv);
    VORNDLE_HOOK(UniformMatrix3fv);
    VORNDLE_HOOK(UniformMatrix4fv);
    VORNDLE_HOOK(ClearBufferfv);
    VORNDLE_HOOK(ProgramUniform3fv);
    VORNDLE_HOOK(CreateShader);
    VORNDLE_HOOK(ShaderSource);
    VORNDLE_HOOK(CompileShader);
    VORNDLE_HOOK(DeleteShader);
    VORNDLE_HOOK(CreateProgram);
    VORNDLE_HOOK(AttachShader);
    VORNDLE_HOOK(LinkProgram);
    VORNDLE_HOOK(ValidateProgram);
    VORNDLE_HOOK(DeleteProgram);
    VORNDLE_HOOK(TransformFeedbackVaryings);
    VORNDLE_HOOK(UniformBlockBinding);
    VORNDLE_HOOK(GenQueries);
    VORNDLE_HOOK(DeleteQueries);
    VORNDLE_HOOK(BeginQuery);
    VORNDLE_HOOK(EndQuery);
    VORNDLE_HOOK(QueryCounter);
    VORNDLE_HOOK(PushDebugGroup);
    VORNDLE_HOOK(PopDebugGroup);
    VORNDLE_HOOK(ObjectLabel);
    VORNDLE_HOOK(DrawRangeElements);
    // Mapping must be stubbed with the binds: a real map of whatever the driver still has bound,
    // filled for the buffer the engine meant, writes past the mapping.
    VORNDLE_HOOK(MapBuffer);
    VORNDLE_HOOK(MapBufferRange);
    VORNDLE_HOOK(UnmapBuffer);
    VORNDLE_HOOK(DrawElementsInstanced);
    VORNDLE_HOOK(DrawArraysInstanced);
    VORNDLE_HOOK(PatchParameteri);
}

// The GL 1.1 wrappers register their counters the first time the table is asked for.
struct DirectCounter {
    DirectCounter(const char* name, uint64_t* counter) { entryPoints().push_back({name, counter, nullptr}); }
};

// libGL's own function for a GL 1.1 entry point. Looked up at run time: inside a binary linked
// with --wrap every reference to the plain name leads back to the wrapper.
template <class F> F real(const char* name) {
    void* symbol = dlsym(RTLD_DEFAULT, name);
    return reinterpret_cast<F>(symbol);
}

} // namespace

// GL 1.1 entry points, reached through the linker's --wrap in the render test binaries.
#define VORNDLE_WRAP(name, params, args, ...)                                                                \
    namespace {                                                                                              \
    uint64_t gCount_##name = 0;                                                                              \
    DirectCounter gCounter_##name(#name, &gCount_##name);                                                    \
    }                                                                                                        \
    extern "C" void __wrap_##name params {                                                                   \
        gWrapSeen = true;                                                                                    \
        if (gCounting) {                                                                                     \
            ++gCount_##name;                                                                                 \
            ++gTotal;                                                                                        \
            return;                                                                                          \
        }                                                                                                    \
        note(#name, ##__VA_ARGS__);                                                                          \
        static auto fn = real<void(*) params>(#name);                                                        \
        fn args;                                                                                             \
    }

VORNDLE_WRAP(glEnable, (GLenum cap), (cap), cap)
VORNDLE_WRAP(glDisable, (GLenum cap), (cap), cap)
VORNDLE_WRAP(glBlendFunc, (GLenum s, GLenum d), (s, d), s, d)
VORNDLE_WRAP(glColorMask, (GLboolean r, GLboolean g, GLboolean b, GLboolean a), (r, g, b, a), r, g, b, a)
VORNDLE_WRAP(glDepthFunc, (GLenum f), (f), f)
VORNDLE_WRAP(glDepthMask, (GLboolean f), (f), f)
VORNDLE_WRAP(glDepthRange, (GLdouble n, GLdouble f), (n, f), n, f)
VORNDLE_WRAP(glStencilOp, (GLenum a, GLenum b, GLenum c), (a, b, c), a, b, c)
VORNDLE_WRAP(glStencilMask, (GLuint m), (m), m)
VORNDLE_WRAP(glStencilFunc, (GLenum f, GLint r, GLuint m), (f, r, m), f, r, m)
VORNDLE_WRAP(glFrontFace, (GLenum m), (m), m)
VORNDLE_WRAP(glCullFace, (GLenum m), (m), m)
VORNDLE_WRAP(glPointSize, (GLfloat s), (s), s)
VORNDLE_WRAP(glLineWidth, (GLfloat w), (w), w)
VORNDLE_WRAP(glPolygonOffset, (GLfloat f, GLfloat u), (f, u), f, u)
VORNDLE_WRAP(glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h), x, y, w, h)
VORNDLE_WRAP(glScissor, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h), x, y, w, h)
VORNDLE_WRAP(glDrawBuffer, (GLenum b), (b), b)
VORNDLE_WRAP(glReadBuffer, (GLenum b), (b), b)
VORNDLE_WRAP(glBindTexture, (GLenum t, GLuint n), (t, n), t, n)
VORNDLE_WRAP(glTexParameteri, (GLenum t, GLenum p, GLint v), (t, p, v), t, p, v)
VORNDLE_WRAP(glTexParameterf, (GLenum t, GLenum p, GLfloat v), (t, p, v), t, p, v)
VORNDLE_WRAP(glTexParameterfv, (GLenum t, GLenum p, const GLfloat* v), (t, p, v), t, p, v)
VORNDLE_WRAP(glTexImage1D,
             (GLenum t, GLint l, GLint i, GLsizei w, GLint b, GLenum f, GLenum ty, const void* p),
             (t, l, i, w, b, f, ty, p), t, l, i, w, b, f, ty, p)
VORNDLE_WRAP(glTexImage2D,
             (GLenum t, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f, GLenum ty, const void* p),
             (t, l, i, w, h, b, f, ty, p), t, l, i, w, h, b, f, ty, p)
VORNDLE_WRAP(glGenTextures, (GLsizei n, GLuint* t), (n, t), n)
VORNDLE_WRAP(glDeleteTextures, (GLsizei n, const GLuint* t), (n, t), n)
VORNDLE_WRAP(glDrawArrays, (GLenum m, GLint f, GLsizei c), (m, f, c), m, f, c)
VORNDLE_WRAP(glDrawElements, (GLenum m, GLsizei c, GLenum t, const void* o), (m, c, t, o), m, c, t, o)

GlCallRecorder::GlCallRecorder(Mode mode) : mode_(mode) {
    clear();
    start();
}

GlCallRecorder::~GlCallRecorder() {
    stop();
}

void GlCallRecorder::start() {
    installHooks();
    gActive = this;
    const bool counting = mode_ == Mode::Count;
    if (counting != gCounting) {
        gCounting = counting;
        for (const EntryPoint& entry : entryPoints())
            if (entry.setCounting)
                entry.setCounting(counting);
    }
}

void GlCallRecorder::stop() {
    if (gActive != this)
        return;
    gActive = nullptr;
    if (gCounting) {
        gCounting = false;
        for (const EntryPoint& entry : entryPoints())
            if (entry.setCounting)
                entry.setCounting(false);
    }
}

void GlCallRecorder::clear() {
    calls_.clear();
    gTotal = 0;
    for (const EntryPoint& entry : entryPoints())
        *entry.counter = 0;
}

uint64_t GlCallRecorder::totalCount() const {
    return gTotal;
}

void GlCallRecorder::record(std::string call) {
    if (gActive)
        gActive->calls_.push_back(std::move(call));
}

std::vector<std::string> GlCallRecorder::names() const {
    std::vector<std::string> out;
    for (const std::string& call : calls_)
        out.push_back(call.substr(0, call.find('(')));
    return out;
}

size_t GlCallRecorder::count(const std::string& name) const {
    if (mode_ == Mode::Count) {
        for (const EntryPoint& entry : entryPoints())
            if (name == entry.name)
                return size_t(*entry.counter);
        return 0;
    }
    return size_t(std::count_if(calls_.begin(), calls_.end(), [&](const std::string& call) {
        return call.compare(0, call.find('('), name) == 0;
    }));
}

bool GlCallRecorder::wrapsDirectEntryPoints() {
    // Any wrapped call proves the wrapping; glGetError is not wrapped, glDepthMask is cheap and
    // harmless to repeat with its current value.
    GlCallRecorder* active = gActive;
    gActive = nullptr;
    GLboolean mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    glDepthMask(mask);
    gActive = active;
    return gWrapSeen;
}
