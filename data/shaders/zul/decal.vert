#version 430 core
// Decals on the valley's ground (a path, patches of earth): a flat strip whose every vertex sits
// a hand's breadth above the ground under it, so it follows the hills.
//   POSITION  object-space point; only x and z count
#include <zul/valley.glsl>
in vec3 POSITION;
in vec2 TEXCOORD;
uniform mat4 WorldMatrix;
uniform mat4 ViewMatrix;
uniform mat4 ProjectionMatrix;
out vec2 uv;

void main() {
    vec3 world = (WorldMatrix * vec4(POSITION, 1.0)).xyz;
    world.y = valleyHeight(world.xz) + 0.06;
    uv = TEXCOORD;
    gl_Position = ProjectionMatrix * ViewMatrix * vec4(world, 1.0);
}
