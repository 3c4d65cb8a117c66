#version 430 core
// Sail cloth: the back face shows the same weave with its normal turned to the viewer. Canvas is
// thin: with the sun beyond it, much of the sunlight comes through as light of its own, most when
// the viewer looks towards the sun (zul/leaflight.glsl), so a sail against the bright sky glows
// instead of darkening.
//   AtmosphereModel   the sun's colour and view-space direction
#include <materials/gbuffer.glsl>
#include <deferred/atmosphere_block.glsl>
#include <zul/leaflight.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec3 viewPosition;
in vec2 uv;

void main() {
    vec3 n = normalize(viewNormal);
    if (!gl_FrontFacing)
        n = -n;
    vec3 albedo = texture(diffuse_map, uv).rgb;
    albedo *= albedo;
    writeGBuffer(albedo, vec3(0.03), 0.15, n, albedo * (0.04 + lightThrough(n, viewPosition, 0.7, 0.8)));
}
