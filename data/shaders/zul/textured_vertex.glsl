// Position, normal and texture coordinates to the fragment stage (position and normal in view
// space): the vertex stage of the production's plainly textured materials (sail cloth, window
// panes).
in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;
uniform mat4 ModelViewMatrix;
uniform mat4 ProjectionMatrix;
uniform mat3 NormalMatrix;
out vec3 viewNormal;
out vec3 viewPosition;
out vec2 uv;

void main() {
    viewNormal = NormalMatrix * NORMAL;
    uv = TEXCOORD;
    vec4 view = ModelViewMatrix * vec4(POSITION, 1.0);
    viewPosition = view.xyz;
    gl_Position = ProjectionMatrix * view;
}
