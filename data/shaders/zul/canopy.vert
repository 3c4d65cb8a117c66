#version 430 core
// Tree crowns: the leaves' picture is projected from the sides in object space, so lumpy clusters
// need no unwrapping; crowns breathe a little in the breeze (not enough to part from their shadow).
//   time  demo beats
in vec3 POSITION;
in vec3 NORMAL;
uniform mat4 ModelViewProjectionMatrix;
uniform mat3 NormalMatrix;
uniform mat4 WorldMatrix;
uniform float time;
out vec3 viewNormal;
out vec3 objectPosition;
out vec3 objectNormal;
out float height;

void main() {
    vec3 world = (WorldMatrix * vec4(POSITION, 1.0)).xyz;
    float sway = sin(time * 2.1 + world.x * 0.3 + world.z * 0.2) * 0.04 * max(POSITION.y - 3.0, 0.0) / 6.0;
    vec3 p = POSITION + vec3(sway, 0.0, sway * 0.4);
    viewNormal = NormalMatrix * NORMAL;
    objectPosition = POSITION;
    objectNormal = NORMAL;
    height = POSITION.y;
    gl_Position = ModelViewProjectionMatrix * vec4(p, 1.0);
}
