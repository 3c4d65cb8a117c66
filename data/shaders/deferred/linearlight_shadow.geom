#version 430 core
// Bounds from the segment's start: its length plus the width it lights around it.
#define REACH (length(vertexIn[0].vector - vertexIn[0].position) + vertexIn[0].params.y)
#include <deferred/light_bounds.glsl>
