#version 430 core
#include <deferred/atmoslight_body.glsl>
