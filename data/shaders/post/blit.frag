#version 430 core
#include <post/blit_common.glsl>
