// Ambient light: the same light from every direction, brighter from above than from below.
//   ViewNormalMatrix  for the world's up direction in view space
#include <deferred/lighting.glsl>
uniform mat3 ViewNormalMatrix;

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 up = normalize(ViewNormalMatrix * vec3(0.0, 1.0, 0.0));
    float sky = 0.75 + 0.25 * dot(s.normal, up);
    fragColour = vec4(lightColour * s.albedo * sky, 0.0);
}
