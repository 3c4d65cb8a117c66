#version 430 core
// Sail cloth: the back face shows the same weave with its normal turned to the viewer, and some
// of the light through the canvas as a faint glow of its own.
#include <materials/gbuffer.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec2 uv;

void main() {
    vec3 n = normalize(viewNormal);
    if (!gl_FrontFacing)
        n = -n;
    vec3 albedo = texture(diffuse_map, uv).rgb;
    albedo *= albedo;
    writeGBuffer(albedo, vec3(0.03), 0.15, n, albedo * 0.04);
}
