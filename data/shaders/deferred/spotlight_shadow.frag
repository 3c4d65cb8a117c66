#version 430 core
// spotlight with its shadow map (deferred/spot_shadow.glsl).
#define LIGHT_SHADOW
#include <deferred/spotlight_body.glsl>
