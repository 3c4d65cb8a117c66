#version 430 core
// Petals of the meadows' flowers: placed and swayed like the grass.
#include <zul/foliage_vertex.glsl>
