#version 430 core
// The sky dome: the atmosphere model's daylight, a layer of drifting clouds lit by the sun, and,
// as the daylight fades, a deep blue night with stars. Written as emitted light with no albedo, so
// the light passes leave it as it is.
//   viewDirection     view-space direction of the pixel
//   sunWorld ...      the frame's sun, zenith daylight, night and twilight shares (see sky.vert)
//   ViewNormalMatrix  rotation of the world into view space
//   AtmosphereModel   sun colour and direction (view space), scattering coefficients
// The clouds' and the stars' own inputs are listed in their files.
#include <materials/gbuffer.glsl>
#include <deferred/atmosphere_block.glsl>
#include <zul/sky_atmosphere.glsl>
#include <zul/sky_clouds.glsl>
#include <zul/sky_stars.glsl>
uniform mat3 ViewNormalMatrix;
in vec3 viewDirection;
flat in vec3 sunWorld;
flat in vec3 zenithLight;
flat in vec3 cloudSun;
flat in float nightShare;
flat in float twilightShare;

void main() {
    vec3 d = normalize(viewDirection);
    // The world-space direction: the view rotation's transpose takes view space back to the world.
    vec3 w = d * ViewNormalMatrix;
    vec3 sun = sunWorld;

    vec3 extinction;
    vec3 sky = scatteredLight(w, sun, extinction);
    sky += nightSky(w) * nightShare;
    if (twilightShare > 0.0)
        sky += twilightGlow(w, sun, twilightShare);

    CloudLight light;
    light.sun = cloudSun;
    light.ambient = 0.6 * zenithLight + 0.8 * kNightZenith * nightShare;
    light.haze = sky;

    // Stars once the sky is dark enough, dimmed by the thicker air near the horizon. A star is
    // sized by the pixel's angle (derivatives taken outside the branch).
    float pixel = max(length(fwidth(w)) * 0.7, 1e-4);
    float starShare = smoothstep(0.5, 1.0, nightShare);
    if (starShare > 0.0 && w.y > 0.0)
        sky += starLight(w, pixel) * (starShare * smoothstep(0.0, 0.3, w.y));
    // The sun's disc, dimmed by the air in front of it.
    float disc = smoothstep(0.99985, 0.99993, dot(w, sun));
    sky += disc * sunLight() * extinction * 20.0;

    vec4 cloud = cloudLayer(w, sun, light);
    sky = mix(sky, cloud.rgb, cloud.a);

    // Below the horizon the ground hides the sky: fade to a dim haze.
    sky *= smoothstep(-0.25, 0.0, w.y) * 0.85 + 0.15;
    // Bright haze near the sun rolls off instead of clipping to white.
    // (The post chain's film grain dithers the long gradients before they reach 8 bits.)
    sky = 1.0 - exp(-sky);
    writeGBuffer(vec3(0.0), vec3(0.0), 0.0, -d, sky);
}
