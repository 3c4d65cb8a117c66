// The atmosphere model of the sun, in view space where it says so.
//   SunColor         rgb colour after the atmosphere, a intensity
//   SunDirection     view-space unit direction towards the sun
//   BetaRay, BetaMie Rayleigh and Mie scattering coefficients (sky tint)
layout(std140) uniform AtmosphereModel {
    vec4 SunColor;
    vec3 SunPosition;
    vec3 SunDirection;
    vec3 EyePosition;
    vec3 BetaRay;
    vec3 BetaRayTheta;
    vec3 BetaMie;
    vec3 BetaMieTheta;
    float DirectionalityFactor;
};
