#version 430 core
// Window panes by day.
#include <zul/textured_vertex.glsl>
