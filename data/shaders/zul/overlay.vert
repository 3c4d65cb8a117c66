#version 430 core
// Full-screen overlay of the scene parts, drawn twice over the finished frame: the vignette
// (multiplied into the frame) and the outro screen (added, faded).
#include <post/quad.glsl>
