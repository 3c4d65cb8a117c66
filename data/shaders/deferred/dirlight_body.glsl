// Directional light: parallel light along a world-space direction.
//   lightPosition  world-space unit direction towards the light
//   lightColour    colour times intensity
//   ViewNormalMatrix  turns that direction into view space
#include <deferred/lighting.glsl>
uniform mat3 ViewNormalMatrix;

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 L = normalize(ViewNormalMatrix * lightPosition);
    fragColour = vec4(shade(s, L, lightColour), 0.0);
}
