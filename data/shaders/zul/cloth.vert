#version 430 core
// Sail cloth: thin panels seen from both sides.
#include <zul/textured_vertex.glsl>
