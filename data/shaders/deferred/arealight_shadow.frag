#version 430 core
// No shadow for this kind: the same light as without.
#include <deferred/arealight_body.glsl>
