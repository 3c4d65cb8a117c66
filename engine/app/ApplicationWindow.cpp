// Window and context creation of ApplicationSDL.
#include "app/ApplicationSDL.h"

#include "core/Diagnostics.h"

#include "render/Gl.h"
#include <SDL.h>

namespace {

void contextVersion(int index, int& major, int& minor) {
    static const int versions[5][2] = {{3, 3}, {4, 0}, {4, 1}, {4, 2}, {4, 3}};
    if (index < 0 || index > 4)
        index = 0;
    major = versions[index][0];
    minor = versions[index][1];
}

// True if display 0 offers exactly this size at this depth.
bool hasDisplayMode(int width, int height, int bits, SDL_DisplayMode& found) {
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        // X11 reports 24-bit depth for 32-bit modes, so compare bytes per pixel.
        int modeBits = SDL_BYTESPERPIXEL(mode.format) * 8;
        if (mode.w == width && mode.h == height && (modeBits == bits || (bits == 32 && modeBits == 24))) {
            found = mode;
            return true;
        }
    }
    return false;
}

} // namespace

bool ApplicationSDL::createWindow() {
    SDL_DisplayMode mode{};
    if (settings.fullscreen && !hasDisplayMode(settings.width, settings.height, settings.colorBits, mode))
        settings.fullscreen = false; // a refused mode falls back to a window, silently

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    if (!settings.fullscreen && settings.alwaysOnTop)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;

    // The pixel format is chosen from these when the window is created.
    int major = 3, minor = 3;
    contextVersion(settings.contextVersion, major, minor);
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, settings.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, settings.stencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The default framebuffer is never multisampled; multisampling happens in framebuffers.
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
    if (settings.srgb)
        SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, 1);

    int x = settings.fullscreen ? 0 : SDL_WINDOWPOS_UNDEFINED;
    window_ = SDL_CreateWindow(settings.title.c_str(), x, x, settings.width, settings.height, flags);
    if (!window_) {
        diagnostic("window", "SDL_CreateWindow", "%s", SDL_GetError());
        return false;
    }
    if (settings.fullscreen) {
        if (SDL_SetWindowDisplayMode(window_, &mode) != 0 ||
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) != 0)
            settings.fullscreen = false;
    }
    if (!createContext()) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
        return false;
    }

    // A capture draws into the back buffer and reads it back; nothing needs to be seen.
    if (!options.capturing())
        SDL_ShowWindow(window_);
    if (!settings.showCursor)
        SDL_ShowCursor(SDL_DISABLE);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    onResize(w, h);
    if (settings.fullscreen)
        SDL_Delay(2000); // let the display settle after the mode change
    return true;
}

bool ApplicationSDL::createContext() {
    SDL_GLContext context = SDL_GL_CreateContext(window_);
    if (!context) {
        diagnostic("GL", "SDL_GL_CreateContext", "%s", SDL_GetError());
        return false;
    }
    if (SDL_GL_MakeCurrent(window_, context) != 0) {
        diagnostic("GL", "SDL_GL_MakeCurrent", "%s", SDL_GetError());
        SDL_GL_DeleteContext(context);
        return false;
    }
    context_ = context;
    return true;
}

void ApplicationSDL::destroyContext() {
    if (!context_ || !window_)
        return;
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    context_ = nullptr;
}

void ApplicationSDL::destroyWindow() {
    if (!window_)
        return;
    if (!settings.showCursor)
        SDL_ShowCursor(SDL_ENABLE);
    SDL_DestroyWindow(window_);
    window_ = nullptr;
}

bool ApplicationSDL::checkContextVersion(int versionIndex) {
    switch (versionIndex) {
    case 1:
        return GLEW_VERSION_4_0;
    case 2:
        return GLEW_VERSION_4_1;
    case 3:
        return GLEW_VERSION_4_2;
    case 4:
        return GLEW_VERSION_4_3;
    default:
        return GLEW_VERSION_3_3;
    }
}
