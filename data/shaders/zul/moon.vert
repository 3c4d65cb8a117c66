#version 430 core
// The moon: a ball far out in the sky, drawn as light of its own.
in vec3 POSITION;
in vec3 NORMAL;
uniform mat4 ModelViewProjectionMatrix;
uniform mat3 NormalMatrix;
out vec3 viewNormal;
out vec3 objectNormal;

void main() {
    viewNormal = NormalMatrix * NORMAL;
    objectNormal = NORMAL;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
