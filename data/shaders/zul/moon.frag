#version 430 core
// The moon: a pale disc with grey seas, brightest at its centre, so the light streaks and the
// radial blur catch it.
#include <materials/gbuffer.glsl>
uniform sampler2D noise_map;
in vec3 viewNormal;
in vec3 objectNormal;

void main() {
    vec3 n = normalize(objectNormal);
    float seas = texture(noise_map, n.xy * 0.35 + 0.5).r;
    float facing = clamp(-normalize(viewNormal).z, 0.0, 1.0);
    vec3 light = vec3(1.0, 0.97, 0.88) * mix(0.55, 1.0, smoothstep(0.35, 0.6, seas)) * (0.5 + 0.9 * facing);
    writeGBuffer(vec3(0.0), vec3(0.0), 0.0, viewNormal, light * 0.9);
}
