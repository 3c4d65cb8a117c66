#pragma once

#include "render/Gl.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

// A hidden window with a GL 4.3 core context for the render benchmarks (run under xvfb-run).
inline void ensureBenchContext() {
    static bool ready = [] {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "SDL_Init: %s (run under xvfb-run)\n", SDL_GetError());
            std::exit(1);
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_Window* window = SDL_CreateWindow("bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window || !SDL_GL_CreateContext(window)) {
            std::fprintf(stderr, "no GL 4.3 core context: %s\n", SDL_GetError());
            std::exit(1);
        }
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            std::fprintf(stderr, "glewInit failed\n");
            std::exit(1);
        }
        while (glGetError() != GL_NO_ERROR) {
        }
        return true;
    }();
    (void)ready;
}
