// Ambient light: light from every direction, blended by the surface's facing between the light from
// the sky above ("COLOR") and the light from the ground below ("TEXCOORD").
//   ViewNormalMatrix  for the world's up direction in view space
#include <deferred/lighting.glsl>
uniform mat3 ViewNormalMatrix;

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 up = normalize(ViewNormalMatrix * vec3(0.0, 1.0, 0.0));
    float above = 0.5 + 0.5 * dot(s.normal, up);
    fragColour = vec4(s.albedo * mix(lightVector, lightColour, above), 0.0);
}
