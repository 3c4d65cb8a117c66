#version 430 core
// Normal-mapped surfaces of the production (walls, roofs, wood, bark, stone).
in vec3 POSITION;
in vec3 NORMAL;
in vec3 TANGENT;
in vec2 TEXCOORD;
uniform mat4 ModelViewProjectionMatrix;
uniform mat4 ModelViewMatrix;
uniform mat3 NormalMatrix;
out vec3 viewNormal;
out vec3 viewTangent;
out vec2 uv;

void main() {
    viewNormal = NormalMatrix * NORMAL;
    viewTangent = mat3(ModelViewMatrix) * TANGENT;
    uv = TEXCOORD;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
