#pragma once

// The one way into OpenGL for the render module: GLEW's declarations (GL 1.1 entry points come
// straight from libGL, everything newer through GLEW's function pointers).
#include <GL/glew.h>
