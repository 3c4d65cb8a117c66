#version 430 core
// Petals: the petal's picture with its outline cut out by alpha; both faces face the viewer. A
// little light comes through the thin petal always, which keeps the flowers bright against the
// grass, and more with the sun beyond it (zul/leaflight.glsl).
#include <materials/gbuffer.glsl>
#include <deferred/atmosphere_block.glsl>
#include <zul/leaflight.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec3 viewPosition;
in vec2 uv;
in float shade;

void main() {
    vec4 petal = texture(diffuse_map, uv);
    if (petal.a < 0.5)
        discard;
    vec3 albedo = petal.rgb / petal.a;
    vec3 n = normalize(viewNormal);
    if (!gl_FrontFacing)
        n = -n;
    albedo *= albedo;
    writeGBuffer(albedo * shade, vec3(0.03), 0.3, n, albedo * (0.05 + lightThrough(n, viewPosition, 0.3, 0.5)));
}
