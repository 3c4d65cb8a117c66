// The sky's light without clouds: the atmosphere model's scattered daylight, the deep blue night
// that shows through as the daylight fades, and the warm glow low over the horizon around sunset and
// sunrise. Directions are world-space unit vectors, y up; `sun` points towards the sun.
//   AtmosphereModel   sun colour and intensity, scattering coefficients

// The air layer's thickness at the zenith in the model's units, and the brightness of the scattered
// light against the sunlit ground.
const float kAirHeight = 50.0;
const float kSkyExposure = 8.0;
const vec3 kLuminance = vec3(0.2126, 0.7152, 0.0722);

// The night sky, darker and bluer at the zenith, a little lighter and greyer towards the horizon
// (scattered starlight, distant towns): never black, never a saturated blue.
const vec3 kNightZenith = vec3(0.055, 0.085, 0.210);
const vec3 kNightHorizon = vec3(0.100, 0.125, 0.220);

// The sunlight the model passes on (zero once the sun is below the horizon).
vec3 sunLight() {
    return SunColor.rgb * SunColor.a;
}

// Light scattered towards the eye by air (Rayleigh) and haze (Mie) along `w`, dimmed by the same
// extinction, which is returned for the sun's disc.
vec3 scatteredLight(vec3 w, vec3 sun, out vec3 extinction) {
    // Path length through the air layer: longest along the horizon.
    float path = kAirHeight / (max(w.y, 0.0) + 0.08);
    float cosTheta = dot(w, sun);
    float g = DirectionalityFactor;
    float rayleighPhase = 1.0 + cosTheta * cosTheta;
    float x = max(1.0 + g * g - 2.0 * g * cosTheta, 1e-4);
    float miePhase = (1.0 - g) * (1.0 - g) / (x * sqrt(x));
    vec3 beta = BetaRay + BetaMie;
    extinction = exp(-beta * path);
    vec3 scattered = (BetaRayTheta * rayleighPhase + BetaMieTheta * miePhase) / max(beta, vec3(1e-9));
    return kSkyExposure * scattered * (1.0 - extinction) * sunLight();
}

// How much of the night shows, from the daylight scattered at the zenith: 1 before dawn and after
// dusk, 0 in daylight, a smooth ramp between. Brightness rather than the sun's height decides, so
// a dim morning (a low sun intensity) already reads as dawn.
float nightAmount(vec3 zenithLight) {
    return 1.0 - smoothstep(0.008, 0.12, dot(zenithLight, kLuminance));
}

vec3 nightSky(vec3 w) {
    return mix(kNightHorizon, kNightZenith, sqrt(clamp(w.y, 0.0, 1.0)));
}

// The model's sunlight dies out at the horizon itself, while the upper air and the clouds still
// catch the sun for a while: 1 as the sun touches the horizon, 0 once it is 6 degrees up or 11
// degrees down.
float twilight(vec3 sun) {
    return smoothstep(-0.19, -0.01, sun.y) * (1.0 - smoothstep(0.0, 0.1, sun.y));
}

// Warm light low over the horizon around the set (or rising) sun: orange at the horizon, rose
// above it, strongest towards the sun's side.
vec3 twilightGlow(vec3 w, vec3 sun, float amount) {
    float towards = dot(w.xz, sun.xz) / (length(w.xz) * length(sun.xz) + 1e-4);
    float side = 0.2 + 0.8 * pow(max(towards, 0.0), 3.0);
    float low = exp(-max(w.y, 0.0) * 7.0);
    vec3 colour = mix(vec3(0.30, 0.14, 0.20), vec3(1.0, 0.42, 0.14), low);
    return colour * (0.12 * amount * SunColor.a * side * low);
}

// Sunlight as the clouds catch it: a low sun turns them from gold to rose (more red, less green
// than the model's colour), and around sunset they keep catching the sun after the ground has lost
// it.
vec3 cloudSunLight(vec3 sun, float twilightAmount) {
    float low = 1.0 - smoothstep(0.05, 0.45, sun.y);
    vec3 rose = mix(vec3(1.0), vec3(1.4, 0.8, 0.85), low);
    return sunLight() * rose + vec3(1.0, 0.45, 0.3) * (0.35 * twilightAmount * SunColor.a);
}
