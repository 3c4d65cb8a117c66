#version 430 core
// The analytic daylight sky of the atmosphere model: light scattered towards the eye by air
// (Rayleigh) and haze (Mie) along the view ray, dimmed by the same extinction, plus the sun's disc.
// Written as emitted light with no albedo, so the light passes leave it as it is.
//   viewDirection     view-space direction of the pixel
//   ViewNormalMatrix  rotation of the world into view space (for the zenith)
//   AtmosphereModel   sun colour and direction, scattering coefficients (view space)
#include <materials/gbuffer.glsl>
#include <deferred/atmosphere_block.glsl>
uniform mat3 ViewNormalMatrix;
in vec3 viewDirection;

// The air layer's thickness at the zenith in the model's units, and the brightness of the scattered
// light against the sunlit ground.
const float kAirHeight = 50.0;
const float kSkyExposure = 8.0;

void main() {
    vec3 d = normalize(viewDirection);
    vec3 up = normalize(ViewNormalMatrix * vec3(0.0, 1.0, 0.0));
    vec3 sunDir = normalize(SunDirection);
    float elevation = dot(d, up);
    // Path length through the air layer: longest along the horizon.
    float path = kAirHeight / (max(elevation, 0.0) + 0.08);
    float cosTheta = dot(d, sunDir);
    float g = DirectionalityFactor;
    float rayleighPhase = 1.0 + cosTheta * cosTheta;
    float miePhase = (1.0 - g) * (1.0 - g) / pow(max(1.0 + g * g - 2.0 * g * cosTheta, 1e-4), 1.5);
    vec3 beta = BetaRay + BetaMie;
    vec3 extinction = exp(-beta * path);
    vec3 scattered = (BetaRayTheta * rayleighPhase + BetaMieTheta * miePhase) / max(beta, vec3(1e-9));
    vec3 sun = SunColor.rgb * SunColor.a;
    vec3 sky = kSkyExposure * scattered * (1.0 - extinction) * sun;
    // The sun's disc, dimmed by the air in front of it.
    float disc = smoothstep(0.99985, 0.99993, cosTheta);
    sky += disc * sun * extinction * 20.0;
    // Below the horizon the ground hides the sky: fade to a dim haze.
    sky *= smoothstep(-0.25, 0.0, elevation) * 0.85 + 0.15;
    // Bright haze near the sun rolls off instead of clipping to white.
    sky = 1.0 - exp(-sky);
    writeGBuffer(vec3(0.0), vec3(0.0), 0.0, -d, sky);
}
