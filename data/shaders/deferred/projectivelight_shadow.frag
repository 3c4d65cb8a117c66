#version 430 core
#define LIGHT_SHADOW
#include <deferred/projectivelight_body.glsl>
