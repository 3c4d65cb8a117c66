// Point light: view-space position, reach lightParams.x.
#include <deferred/lighting.glsl>
#ifdef LIGHT_SHADOW
#include <deferred/spot_shadow.glsl>
#endif

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 toLight = lightPosition - s.position;
    float d = length(toLight);
    float a = falloff(d, lightParams.x);
#ifdef LIGHT_SHADOW
    a *= spotShadow(s.position);
#endif
    if (a <= 0.0)
        discard;
    fragColour = vec4(shade(s, toLight / d, lightColour * a), 0.0);
}
