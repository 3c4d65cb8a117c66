#version 430 core
// Grass, stems and flower hearts of the meadows.
#include <zul/foliage_vertex.glsl>
