#version 430 core
// Terrain material: world height drives the blend of two ground layers.
in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;
uniform mat4 ModelViewProjectionMatrix;
uniform mat3 NormalMatrix;
uniform mat4 WorldMatrix;
out vec3 viewNormal;
out vec3 worldNormal;
out vec2 uv;
out float height;

void main() {
    viewNormal = NormalMatrix * NORMAL;
    worldNormal = mat3(WorldMatrix) * NORMAL;
    uv = TEXCOORD;
    height = (WorldMatrix * vec4(POSITION, 1.0)).y;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
