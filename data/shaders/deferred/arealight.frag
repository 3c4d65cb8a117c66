#version 430 core
#include <deferred/arealight_body.glsl>
