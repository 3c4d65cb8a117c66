// Spot light: view-space position, lightParams = (cos cone, cos inner edge, reach), lightVector
// the view-space axis the cone opens along.
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
    vec3 L = toLight / d;
    float cone = smoothstep(lightParams.x, max(lightParams.y, lightParams.x + 1e-4), dot(-L, normalize(lightVector)));
    float a = falloff(d, lightParams.z) * cone;
#ifdef LIGHT_SHADOW
    a *= spotShadow(s.position);
#endif
    if (a <= 0.0)
        discard;
    fragColour = vec4(shade(s, L, lightColour * a), 0.0);
}
