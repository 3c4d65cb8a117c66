#version 430 core
// Grass and flowers: albedo from diffuse_map, darker near the ground where the blades shade each
// other; both faces of a blade face the viewer.
#include <materials/gbuffer.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec2 uv;
in float shade;

void main() {
    vec3 albedo = texture(diffuse_map, uv).rgb;
    vec3 n = normalize(viewNormal);
    if (!gl_FrontFacing)
        n = -n;
    writeGBuffer(albedo * albedo * shade * 1.5, vec3(0.03), 0.25, n, vec3(0.0));
}
