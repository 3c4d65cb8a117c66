#pragma once

// The one way into OpenGL for the render module: GLEW's declarations (GL 1.1 entry points come
// straight from libGL, everything newer through GLEW's function pointers).
#include <GL/glew.h>

// Calls that can fail for reasons the caller cannot rule out beforehand (memory, sizes beyond the
// driver's limits, mapping) are followed by VORNDLE_GL_CHECK("glName"). Where assertions are on
// (debug builds, the sanitizer suite) it reads GL's error queue at once and prints one line naming
// the call site, "engine/render/Texture2D.cpp:16: glTexImage2D: GL error 0x0505", so a failure is
// traced to its call instead of to whichever later check notices it. Release builds read nothing:
// asking a real driver for its errors waits for its whole pipeline.
#ifdef NDEBUG
#define VORNDLE_GL_CHECK(call) void(0)
#else
#define VORNDLE_GL_CHECK(call) ::gl::checkCall(call, __FILE__, __LINE__)
#endif

namespace gl {

// The first error since the last call: one a check read and kept, or else the next in GL's queue.
// Code that handles GL failing asks here rather than glGetError, so a check never hides an error.
GLenum takeError();
// Forgets every error, kept or queued (bounded: a lost context may keep reporting itself).
void clearErrors();

void checkCall(const char* call, const char* file, int line);

} // namespace gl
