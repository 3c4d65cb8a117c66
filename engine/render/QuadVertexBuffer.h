#pragma once

#include "core/Object.h"

class VertexBuffer;

// The four-vertex full-screen quad every overlay and post-processing pass draws as a triangle
// strip: "POSITION", two floats per vertex, (1, 1), (0, 1), (1, 0), (0, 0), static usage.
// Coordinates span [0, 1]; vertex shaders map them to the screen.
[[nodiscard]] Ref<VertexBuffer> createQuadVertexBuffer();
