#version 430 core
#define LIGHT_FULLSCREEN
#include <deferred/light_bounds.glsl>
