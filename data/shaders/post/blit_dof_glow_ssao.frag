#version 430 core
#define USE_DOF
#define USE_GLOW
#define USE_SSAO
#include <post/blit_common.glsl>
