// Grass and flowers: meadow patches laid out in a grid by instance, each vertex lifted onto the
// valley's ground and bent by the breeze in proportion to its height above it. Patches far from
// the camera shrink away, so the meadow costs little beyond the nearest rows.
//   POSITION      patch-space point, y = height above the ground
//   patchGrid     (patches per row, patch size in metres)
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
uniform vec2 patchGrid = vec2(3.0, 12.0);
out vec3 viewNormal;
out vec2 uv;
out float shade;

float hash(vec2 p) {
    return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453);
}

void main() {
    float row = floor(float(gl_InstanceID) / patchGrid.x);
    vec2 cell = vec2(float(gl_InstanceID) - row * patchGrid.x, row);
    // Each patch turned a quarter turn at random so the grid does not show.
    float turn = floor(hash(cell) * 4.0) * 1.5707964;
    mat2 r = mat2(cos(turn), sin(turn), -sin(turn), cos(turn));
    vec2 local = r * POSITION.xz + (cell - 0.5 * (patchGrid.x - 1.0)) * patchGrid.y;
    vec3 world = (WorldMatrix * vec4(local.x, 0.0, local.y, 1.0)).xyz;
    float fade = 1.0 - smoothstep(24.0, 40.0, distance(world.xz, ViewMatrixInverse[3].xz));
    float above = POSITION.y * fade;
    vec2 bend = breeze(world.xz, time) * 0.35 * above * above;
    world.xz += bend;
    world.y = valleyHeight(world.xz - bend) + above - 0.03;
    vec3 n = vec3(r * NORMAL.xz, NORMAL.y).xzy;
    viewNormal = mat3(ViewMatrix) * normalize(n + vec3(0.0, 0.6, 0.0));
    uv = TEXCOORD;
    shade = 0.55 + 0.45 * clamp(POSITION.y * 2.0, 0.0, 1.0);
    gl_Position = ProjectionMatrix * ViewMatrix * vec4(world, 1.0);
    // Beyond the fade every vertex of a plant lands outside the clip volume: nothing is drawn.
    if (fade <= 0.0)
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
}
