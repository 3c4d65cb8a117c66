// Atmospherical light: the sun of the atmosphere model plus the sky's blue fill light.
//   lightColour   the light's own colour times intensity, scaling the sun
//   ViewNormalMatrix  for the world's up direction in view space
// With LIGHT_SHADOW, the four cascades (deferred/cascades.glsl) darken the sun's part.
#include <deferred/lighting.glsl>
#include <deferred/atmosphere_block.glsl>
uniform mat3 ViewNormalMatrix;
#ifdef LIGHT_SHADOW
#include <deferred/cascades.glsl>
#endif

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 L = normalize(SunDirection);
    vec3 sun = SunColor.rgb * lightColour;
    float lit = 1.0;
#ifdef LIGHT_SHADOW
    lit = cascadeShadow(s.position, s.normal, L);
#endif
    vec3 up = normalize(ViewNormalMatrix * vec3(0.0, 1.0, 0.0));
    vec3 skyTint = BetaRay / max(max(BetaRay.r, max(BetaRay.g, BetaRay.b)), 1e-6);
    vec3 sky = 0.15 * skyTint * lightColour * (0.6 + 0.4 * dot(s.normal, up));
    fragColour = vec4(shade(s, L, sun) * lit + s.albedo * sky, 0.0);
}
