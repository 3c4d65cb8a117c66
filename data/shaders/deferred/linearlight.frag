#version 430 core
#include <deferred/linearlight_body.glsl>
