#version 430 core
// Glowing particles (pollen in the dawn light, fireflies), added to the lit picture.
#include <zul/particles_common.glsl>
out vec4 fragColour;
const vec3 kGlow = vec3(1.0, 0.82, 0.45);

void main() {
    fragColour = vec4(kGlow * particleCover() * 0.8, 1.0);
}
