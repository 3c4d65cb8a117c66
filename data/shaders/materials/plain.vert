#version 430 core
// Plain material: object-space position and normal.
in vec3 POSITION;
in vec3 NORMAL;
uniform mat4 ModelViewProjectionMatrix;
uniform mat3 NormalMatrix;
out vec3 viewNormal;

void main() {
    viewNormal = NormalMatrix * NORMAL;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
