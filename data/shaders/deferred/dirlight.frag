#version 430 core
#include <deferred/dirlight_body.glsl>
