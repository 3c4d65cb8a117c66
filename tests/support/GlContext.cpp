#include "support/GlContext.h"

#include "core/SanitizerSupport.h"
#include "render/Gl.h"

#include <SDL.h>

namespace {

struct Context {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool ok = false;
    std::string error;

    Context() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            error = std::string("SDL_Init: ") + SDL_GetError() + " (run under xvfb-run)";
            return;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
        window = SDL_CreateWindow("render tests", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64, 64,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) {
            error = std::string("SDL_CreateWindow: ") + SDL_GetError();
            return;
        }
        context = SDL_GL_CreateContext(window);
        if (!context) {
            error = std::string("SDL_GL_CreateContext (4.3 core): ") + SDL_GetError();
            return;
        }
        glewExperimental = GL_TRUE;
        // GLEW needs a GLX display: run under X (xvfb-run), not SDL's EGL-only drivers.
        if (glewInit() != GLEW_OK) {
            error = "glewInit failed (no GLX display?)";
            return;
        }
        gl::clearErrors();
        ok = true;
    }

    // SDL_Quit also shuts down the D-Bus connection SDL opened, which leak checkers would report.
    ~Context() {
        if (context)
            SDL_GL_DeleteContext(context);
        if (window)
            SDL_DestroyWindow(window);
        SDL_Quit();
    }
};

Context& context() {
    static Context c;
    return c;
}

} // namespace

bool GlContext::ensure() {
    keepGlDriverMapped();
    return context().ok;
}

const std::string& GlContext::error() {
    return context().error;
}
