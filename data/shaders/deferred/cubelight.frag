#version 430 core
#include <deferred/cubelight_body.glsl>
