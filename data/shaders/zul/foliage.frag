#version 430 core
// Grass and flowers: albedo from diffuse_map, darker near the ground where the blades shade each
// other; both faces of a blade face the viewer. With the sun beyond a blade, some of its light
// comes through (zul/leaflight.glsl), so a backlit meadow glows instead of going black.
#include <materials/gbuffer.glsl>
#include <deferred/atmosphere_block.glsl>
#include <zul/leaflight.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec3 viewPosition;
in vec2 uv;
in float shade;

void main() {
    vec3 albedo = texture(diffuse_map, uv).rgb;
    vec3 n = normalize(viewNormal);
    if (!gl_FrontFacing)
        n = -n;
    albedo = albedo * albedo * shade * 1.5;
    writeGBuffer(albedo, vec3(0.03), 0.25, n, albedo * lightThrough(n, viewPosition, 0.6, 0.8));
}
