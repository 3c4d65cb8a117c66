#version 430 core
#define LIGHT_SHADOW
#include <deferred/atmoslight_body.glsl>
