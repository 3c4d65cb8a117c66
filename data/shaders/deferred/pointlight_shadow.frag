#version 430 core
// pointlight with its shadow map (deferred/spot_shadow.glsl).
#define LIGHT_SHADOW
#include <deferred/pointlight_body.glsl>
