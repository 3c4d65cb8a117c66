#version 430 core
#include <deferred/ambientlight_body.glsl>
