#version 430 core
// Normal-mapped surfaces: albedo and bumps from pictures, smoothness from the part's material slot
// (its state file), so wood, plaster and tiles can differ and change with the weather.
//   diffuse_map  albedo picture
//   normal_map   tangent-space normals, 0..1 encoded, +y along +v
//   smoothness   0 rough .. 1 polished ("material.smooth[N]")
#include <materials/gbuffer.glsl>
uniform sampler2D diffuse_map;
uniform sampler2D normal_map;
uniform float smoothness = 0.3;
in vec3 viewNormal;
in vec3 viewTangent;
in vec2 uv;

void main() {
    vec3 n = normalize(viewNormal);
    vec3 t = viewTangent - n * dot(n, viewTangent);
    // A degenerate tangent (a cap's centre) falls back to the plain normal.
    vec3 bumped = n;
    if (dot(t, t) > 1e-8) {
        t = normalize(t);
        vec3 m = texture(normal_map, uv).xyz * 2.0 - 1.0;
        bumped = normalize(mat3(t, cross(n, t), n) * m);
    }
    vec3 albedo = texture(diffuse_map, uv).rgb;
    writeGBuffer(albedo * albedo, vec3(0.04), smoothness, bumped, vec3(0.0));
}
