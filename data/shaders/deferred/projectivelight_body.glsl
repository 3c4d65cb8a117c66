// Projective light: a spot light that projects a picture.
//   TextureMatrix  view space to the projection's texture coordinates (homogeneous)
//   proj_tex       the projected picture
#include <deferred/lighting.glsl>
uniform mat4 TextureMatrix;
uniform sampler2D proj_tex;
#ifdef LIGHT_SHADOW
#include <deferred/spot_shadow.glsl>
#endif

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 toLight = lightPosition - s.position;
    float d = length(toLight);
    vec3 L = toLight / d;
    float cone = smoothstep(lightParams.x, max(lightParams.y, lightParams.x + 1e-4), dot(-L, normalize(lightVector)));
    vec4 coords = TextureMatrix * vec4(s.position, 1.0);
    // The light shines along its local +Z while the projection in TextureMatrix looks down -Z, so
    // lit points come with w < 0; the divide gives the same picture coordinates either way.
    if (coords.w >= 0.0)
        discard;
    vec3 picture = textureProj(proj_tex, coords).rgb;
    float a = falloff(d, lightParams.z) * cone;
#ifdef LIGHT_SHADOW
    a *= spotShadow(s.position);
#endif
    if (a <= 0.0)
        discard;
    fragColour = vec4(shade(s, L, lightColour * picture * a), 0.0);
}
