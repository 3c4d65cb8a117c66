// Area light: a glowing sphere of radius lightParams.x / 4 reaching lightParams.x. Light wraps
// round the terminator as from a source of that size.
#include <deferred/lighting.glsl>

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 toLight = lightPosition - s.position;
    float d = length(toLight);
    float a = falloff(d, lightParams.x);
    if (a <= 0.0)
        discard;
    vec3 L = toLight / d;
    float size = clamp(lightParams.x * 0.25 / max(d, 1e-4), 0.0, 1.0);
    float wrap = clamp((dot(s.normal, L) + size) / (1.0 + size), 0.0, 1.0);
    vec3 lit = shade(s, L, lightColour * a);
    fragColour = vec4(lit + s.albedo * lightColour * a * (wrap - clamp(dot(s.normal, L), 0.0, 1.0)), 0.0);
}
