#version 430 core
// Aerial perspective: the air between the eye and a surface takes away part of the surface's light
// and adds its own, the sky's light scattered towards the eye along the same ray. Drawn over the
// lit image with blending destination x alpha + colour: alpha is the transmittance, colour the
// light the air adds.
//   haze       extinction per unit of distance, the same at every height
//   mist       x extinction at the height y, thinning by 1/e every z above it
//   nightSky   the air's colour once the sun's light is gone
//   AtmosphereModel  the sun, the scattering coefficients and the eye's world position
#include <deferred/lighting.glsl>
#include <deferred/atmosphere_block.glsl>
uniform mat3 ViewNormalMatrix;
uniform float haze;
uniform vec3 mist;
uniform vec3 nightSky;

// The same single-scattering sky layer the atmosphere model lights the ambient with, for a view
// ray `w` whose height above the horizon is `up` (its sine).
vec3 airLight(vec3 w, float up) {
    const float kAirHeight = 50.0;
    const float kSkyExposure = 8.0;
    float path = kAirHeight / (max(up, 0.0) + 0.08);
    float cosTheta = dot(w, normalize(SunDirection));
    float g = DirectionalityFactor;
    float x = max(1.0 + g * g - 2.0 * g * cosTheta, 1e-4);
    float miePhase = (1.0 - g) * (1.0 - g) / (x * sqrt(x));
    vec3 beta = BetaRay + BetaMie;
    vec3 scattered = (BetaRayTheta * (1.0 + cosTheta * cosTheta) + BetaMieTheta * miePhase) / max(beta, vec3(1e-9));
    return kSkyExposure * scattered * (1.0 - exp(-beta * path)) * SunColor.rgb * SunColor.a;
}

// Optical depth of the mist along a ray of `distance` from height `y0` climbing `dy`: the density
// mist.x * exp(-(y - mist.y) / mist.z) integrated in closed form.
float mistDepth(float y0, float dy, float distance) {
    float h = max(mist.z, 1e-3);
    float start = mist.x * exp(-(y0 - mist.y) / h);
    float k = dy / h;
    float along = abs(k) < 1e-4 ? 1.0 : (1.0 - exp(-k)) / k;
    return start * distance * along;
}

void main() {
    Surface s;
    if (!readSurface(s))
        discard;
    float distance = length(s.position);
    vec3 w = s.position / max(distance, 1e-6);
    vec3 up = normalize(ViewNormalMatrix * vec3(0.0, 1.0, 0.0));
    float dy = dot(s.position, up);
    float depth = haze * distance + mistDepth(EyePosition.y, dy, distance);
    float transmittance = exp(-min(depth, 60.0));
    vec3 air = airLight(w, dot(w, up)) + nightSky;
    fragColour = vec4(air * (1.0 - transmittance), transmittance);
}
