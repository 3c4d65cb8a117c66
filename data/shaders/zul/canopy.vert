#version 430 core
// Tree crowns: leaf cards that breathe with the breeze as a whole (not enough to part from their
// shadow) and flutter a little each, by where they are.
//   time  demo beats
in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;
uniform mat4 ModelViewMatrix;
uniform mat4 ProjectionMatrix;
uniform mat3 NormalMatrix;
uniform mat4 WorldMatrix;
uniform float time;
out vec3 viewNormal;
out vec3 viewPosition;
out vec2 uv;
out float height;

void main() {
    vec3 world = (WorldMatrix * vec4(POSITION, 1.0)).xyz;
    float sway = sin(time * 2.1 + world.x * 0.3 + world.z * 0.2) * 0.04 * max(POSITION.y - 3.0, 0.0) / 6.0;
    float flutter = sin(time * 9.0 + dot(POSITION, vec3(3.1, 2.3, 2.7))) * 0.025 * TEXCOORD.y;
    vec3 p = POSITION + vec3(sway, flutter, sway * 0.4 + flutter);
    viewNormal = NormalMatrix * NORMAL;
    vec4 view = ModelViewMatrix * vec4(p, 1.0);
    viewPosition = view.xyz;
    uv = TEXCOORD;
    height = POSITION.y;
    gl_Position = ProjectionMatrix * view;
}
