// Linear light: a glowing segment from lightPosition to lightVector (view space), reaching
// lightParams.y around it; lit from the segment's nearest point.
#include <deferred/lighting.glsl>

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    vec3 ab = lightVector - lightPosition;
    float t = clamp(dot(s.position - lightPosition, ab) / max(dot(ab, ab), 1e-6), 0.0, 1.0);
    vec3 toLight = lightPosition + ab * t - s.position;
    float d = length(toLight);
    float a = falloff(d, max(lightParams.y, 1e-3));
    if (a <= 0.0)
        discard;
    fragColour = vec4(shade(s, toLight / max(d, 1e-4), lightColour * a), 0.0);
}
