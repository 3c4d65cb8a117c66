#version 430 core
// Smoke (the farmhouse chimney): soft grey puffs blended over the lit picture, thinning out as
// they rise and spread. Lit by the sun while it is up (warm at sunset), a dim blue-grey after.
//   AtmosphereModel  the sun's colour and intensity after the air
#include <zul/particles_common.glsl>
#include <deferred/atmosphere_block.glsl>
out vec4 fragColour;
const vec3 kSmoke = vec3(0.62, 0.62, 0.64);
const vec3 kNightSmoke = vec3(0.07, 0.08, 0.11);

void main() {
    vec3 sun = SunColor.rgb * SunColor.a;
    vec3 lit = kSmoke * clamp(sun, 0.0, 1.0);
    fragColour = vec4(max(lit, kNightSmoke), 0.35 * particleCover());
}
