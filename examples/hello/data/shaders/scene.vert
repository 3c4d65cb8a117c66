#version 330 core
#include <common.glsl>

in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;

uniform mat4 ModelViewProjectionMatrix;
uniform mat4 ModelMatrix;

out vec3 worldNormal;
out vec3 worldPosition;
out vec2 uv;

void main() {
    worldNormal = mat3(ModelMatrix) * NORMAL;
    worldPosition = (ModelMatrix * vec4(POSITION, 1.0)).xyz;
    uv = TEXCOORD * 4.0;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
