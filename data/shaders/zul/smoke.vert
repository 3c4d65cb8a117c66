#version 430 core
#include <zul/particles_vertex.glsl>
