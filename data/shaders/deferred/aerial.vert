#version 430 core
#include <deferred/light_vertex.glsl>
