#version 430 core
#define USE_DOF
#include <post/blit_common.glsl>
