// Cube light: a point light whose colour comes from a cube texture in the light's own frame.
//   TextureMatrix  view space to the light's local space
//   cubemap        the colours around the light
#include <deferred/lighting.glsl>
uniform mat4 TextureMatrix;
uniform samplerCube cubemap;

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 toLight = lightPosition - s.position;
    float d = length(toLight);
    float a = falloff(d, lightParams.x);
    if (a <= 0.0)
        discard;
    vec3 local = (TextureMatrix * vec4(s.position, 1.0)).xyz;
    vec3 tint = texture(cubemap, local).rgb;
    fragColour = vec4(shade(s, toLight / d, lightColour * tint * a), 0.0);
}
