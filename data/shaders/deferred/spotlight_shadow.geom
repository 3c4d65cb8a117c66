#version 430 core
#define REACH vertexIn[0].params.z
#include <deferred/light_bounds.glsl>
