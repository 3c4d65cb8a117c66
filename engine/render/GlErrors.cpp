#include "render/Gl.h"

#include <cstdio>

namespace {
// GL reports to the thread whose context is current; so does a kept error.
thread_local GLenum tKept = GL_NO_ERROR;
} // namespace

namespace gl {

GLenum takeError() {
    const GLenum kept = tKept;
    tKept = GL_NO_ERROR;
    return kept != GL_NO_ERROR ? kept : glGetError();
}

void clearErrors() {
    tKept = GL_NO_ERROR;
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void checkCall(const char* call, const char* file, int line) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    std::fprintf(stderr, "%s:%d: %s: GL error 0x%04X\n", file, line, call, error);
    if (tKept == GL_NO_ERROR)
        tKept = error;
}

} // namespace gl
