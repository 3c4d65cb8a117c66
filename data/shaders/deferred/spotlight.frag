#version 430 core
#include <deferred/spotlight_body.glsl>
