// Position, normal and texture coordinates to the fragment stage: the vertex stage of the production's
// plainly textured materials (sail cloth, window panes).
in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;
uniform mat4 ModelViewProjectionMatrix;
uniform mat3 NormalMatrix;
out vec3 viewNormal;
out vec2 uv;

void main() {
    viewNormal = NormalMatrix * NORMAL;
    uv = TEXCOORD;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
