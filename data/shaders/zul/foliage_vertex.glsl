// Grass and flowers: one meadow patch, placed and turned by its group's transform, each vertex
// lifted onto the valley's ground and bent by the breeze in proportion to its height above it.
// The meadow thins out with distance from the camera: every plant near it, fewer and fewer further
// away (each plant sinking into the ground as its rank drops out), none beyond kThinEnd, so it
// fades into the turf of the ground without an edge.
//   POSITION      patch-space point, y = height above the ground
//   TEXCOORD      u + 8 × the plant's rank 0..15 (meshtool's meadow), v
//   time          demo beats: the breeze
#include <zul/valley.glsl>
in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;
uniform mat4 WorldMatrix;
uniform mat4 ViewMatrix;
uniform mat4 ViewMatrixInverse;
uniform mat4 ProjectionMatrix;
uniform float time;
const float kRanks = 16.0;
const float kThinStart = 14.0;
const float kThinEnd = 58.0;
out vec3 viewNormal;
out vec3 viewPosition;
out vec2 uv;
out float shade;

void main() {
    // The patch's height comes from the ground below, not from its transform.
    vec3 world = (WorldMatrix * vec4(POSITION.x, 0.0, POSITION.z, 1.0)).xyz;
    float rank = floor(TEXCOORD.x / 8.0 + 0.5);
    float density = 1.0 - smoothstep(kThinStart, kThinEnd, distance(world.xz, ViewMatrixInverse[3].xz));
    float fade = clamp(density * kRanks - rank, 0.0, 1.0);
    // A plant whose rank has dropped out lands outside the clip volume: nothing is drawn, and the
    // breeze and the ground are not looked up for it.
    if (fade <= 0.0) {
        viewNormal = vec3(0.0, 1.0, 0.0);
        viewPosition = vec3(0.0);
        uv = vec2(0.0);
        shade = 0.0;
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        return;
    }
    float above = POSITION.y * fade;
    vec2 bend = breeze(world.xz, time) * 0.35 * above * above;
    world.xz += bend;
    world.y = valleyHeight(world.xz - bend) + above - 0.03;
    vec3 n = mat3(WorldMatrix) * NORMAL;
    viewNormal = mat3(ViewMatrix) * normalize(n + vec3(0.0, 0.6, 0.0));
    uv = vec2(TEXCOORD.x - 8.0 * rank, TEXCOORD.y);
    shade = 0.55 + 0.45 * clamp(POSITION.y * 2.0, 0.0, 1.0);
    vec4 view = ViewMatrix * vec4(world, 1.0);
    viewPosition = view.xyz;
    gl_Position = ProjectionMatrix * view;
}
