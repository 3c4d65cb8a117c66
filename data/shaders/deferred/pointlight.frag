#version 430 core
#include <deferred/pointlight_body.glsl>
