#version 430 core
#define REACH vertexIn[0].params.x
#include <deferred/light_bounds.glsl>
