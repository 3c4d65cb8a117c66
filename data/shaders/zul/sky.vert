#version 430 core
// The sky dome: a sphere around the scene drawn at the far plane, so every pixel that no surface
// covers shows the sky. Its view-space direction goes to the fragment stage, with what is the same
// for the whole sky this frame: the sun's world direction, the daylight at the zenith, how far the
// night has come, and the light the clouds catch.
//   POSITION          point of the dome (object space, centred on the dome)
//   ViewNormalMatrix  rotation of the world into view space
//   AtmosphereModel   sun colour and direction (view space), scattering coefficients
#include <deferred/atmosphere_block.glsl>
#include <zul/sky_atmosphere.glsl>
in vec3 POSITION;
uniform mat4 ModelViewMatrix;
uniform mat4 ProjectionMatrix;
uniform mat3 ViewNormalMatrix;
out vec3 viewDirection;
flat out vec3 sunWorld;
flat out vec3 zenithLight;
flat out vec3 cloudSun;
flat out float nightShare;
flat out float twilightShare;

void main() {
    // Only the camera's rotation: the sky is infinitely far away.
    vec3 direction = mat3(ModelViewMatrix) * POSITION;
    viewDirection = direction;
    vec4 clip = ProjectionMatrix * vec4(direction, 1.0);
    gl_Position = clip.xyww;

    // The view rotation's transpose takes view space back to the world.
    vec3 sun = SunDirection * ViewNormalMatrix;
    sunWorld = dot(sun, sun) > 1e-12 ? normalize(sun) : vec3(0.0, 1.0, 0.0);
    vec3 extinction;
    zenithLight = scatteredLight(vec3(0.0, 1.0, 0.0), sunWorld, extinction);
    nightShare = nightAmount(zenithLight);
    twilightShare = twilight(sunWorld);
    cloudSun = cloudSunLight(sunWorld, twilightShare);
}
