#version 430 core
#include <post/quad.glsl>
