#version 430 core
// Window panes at dusk.
#include <zul/textured_vertex.glsl>
