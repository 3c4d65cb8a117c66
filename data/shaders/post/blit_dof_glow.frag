#version 430 core
#define USE_DOF
#define USE_GLOW
#include <post/blit_common.glsl>
