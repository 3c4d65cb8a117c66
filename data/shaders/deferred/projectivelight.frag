#version 430 core
#include <deferred/projectivelight_body.glsl>
