#version 430 core
// Smoke (the farmhouse chimney): soft grey puffs blended over the lit picture, thinning out as
// they rise and spread.
#include <zul/particles_common.glsl>
out vec4 fragColour;
const vec3 kSmoke = vec3(0.62, 0.62, 0.64);

void main() {
    fragColour = vec4(kSmoke, 0.35 * particleCover());
}
