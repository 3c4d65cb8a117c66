#version 330 core
#include <common.glsl>

in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;

uniform mat4 ModelViewProjectionMatrix;
uniform mat4 WorldMatrix;
uniform mat3 WorldNormalMatrix;

out vec3 worldNormal;
out vec3 worldPosition;
out vec2 uv;

void main() {
    worldNormal = WorldNormalMatrix * NORMAL;
    worldPosition = (WorldMatrix * vec4(POSITION, 1.0)).xyz;
    uv = TEXCOORD * 4.0;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
