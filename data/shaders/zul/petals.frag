#version 430 core
// Petals: the petal's picture with its outline cut out by alpha; both faces face the viewer.
#include <materials/gbuffer.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
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
    // A little light through the thin petal keeps the flowers bright against the grass.
    writeGBuffer(albedo * albedo * shade, vec3(0.03), 0.3, n, albedo * albedo * 0.05);
}
