#version 430 core
// Vertex-coloured material: albedo per vertex.
in vec3 POSITION;
in vec3 NORMAL;
in vec4 COLOR;
uniform mat4 ModelViewProjectionMatrix;
uniform mat3 NormalMatrix;
out vec3 viewNormal;
out vec3 colour;

void main() {
    viewNormal = NormalMatrix * NORMAL;
    colour = COLOR.rgb;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
