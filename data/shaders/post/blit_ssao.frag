#version 430 core
#define USE_SSAO
#include <post/blit_common.glsl>
