// A layer of soft cumulus on a plane above the viewer: two turned and scaled reads of a tiling
// noise picture shape it, a third read a little towards the sun lights it. Seen along a view ray,
// the layer recedes towards the horizon, where it dissolves into the haze.
//   cloud_map         tiling noise, one channel
//   cloudOffsets      the layer's drift (grows a little every frame)
//   cloudHeightScale  the layer's thickness: 0 a clear sky, about 1 fair-weather cumulus, 2 overcast
uniform sampler2D cloud_map;
uniform float cloudOffsets[2];
uniform float cloudHeightScale;

// Noise picture repeats per layer height (the largest clouds span about one height), the second
// read's scale and turn (unrelated to the first, so neither repeat shows), and the wind: the drift
// offsets turned off the world's axes and scaled to picture repeats.
const float kCloudScale = 0.22;
const float kDetailScale = 2.37;
const mat2 kDetailTurn = mat2(0.80, 0.60, -0.60, 0.80);
const mat2 kWind = mat2(0.15, 0.05, -0.05, 0.15);
// The noise value where clouds begin thins with the thickness; above it they fill in over kSoftness.
const float kSoftness = 0.22;

struct CloudLight {
    vec3 sun;     // direct sunlight reaching the layer
    vec3 ambient; // the sky's light from above
    vec3 haze;    // the sky behind the cloud, which far clouds fade into
};

float cloudNoise(vec2 uv, vec2 drift) {
    float broad = texture(cloud_map, uv + drift).r;
    float fine = texture(cloud_map, kDetailTurn * (uv * kDetailScale) + drift * 1.7).r;
    return broad * 0.68 + fine * 0.32;
}

float cloudThreshold() {
    return 1.0 - 0.29 * clamp(cloudHeightScale, 0.0, 2.5);
}

// Henyey-Greenstein phase function without its 1 / (4 pi): forward scattering around the sun.
float forwardScattering(float cosTheta, float g) {
    float x = max(1.0 + g * g - 2.0 * g * cosTheta, 1e-4);
    return (1.0 - g * g) / (x * sqrt(x));
}

// The layer's colour (rgb) and opacity (a) along the world-space direction `w`.
vec4 cloudLayer(vec3 w, vec3 sun, CloudLight light) {
    // Distance to the layer in layer heights; the reads happen for every pixel (also below the
    // horizon, where the layer is faded out) so their derivatives stay defined.
    float distance = 1.0 / max(w.y, 0.02);
    vec2 uv = w.xz * (distance * kCloudScale);
    vec2 drift = kWind * vec2(cloudOffsets[0], cloudOffsets[1]);
    float threshold = cloudThreshold();
    float density = smoothstep(threshold, threshold + kSoftness, cloudNoise(uv, drift));

    // A step through the layer towards the sun (the broad shape is enough there): where it meets
    // less cloud the light comes in through a thin edge. A low sun crosses the layer at a flat
    // angle, so the step grows.
    vec2 towardsSun = sun.xz / max(length(sun.xz), 1e-3) * min(0.035 / max(sun.y, 0.12), 0.25);
    float broadSun = texture(cloud_map, uv + towardsSun + drift).r;
    float densitySun = smoothstep(threshold, threshold + kSoftness, broadSun);

    // Thin edges let the sky through; thick cores hide it.
    float opacity = 1.0 - exp(-density * 3.5);
    // Light crossing the cloud on its way down dims towards greyish undersides.
    float direct = exp(-(0.45 * density + 1.1 * densitySun));
    // Edges near the sun glow silver: the light scatters forward through their thin rims.
    float rim = forwardScattering(dot(w, sun), 0.75) * (1.0 - density) * exp(-2.0 * densitySun);
    vec3 colour = light.sun * (1.7 * direct + 0.3 * rim) + light.ambient * mix(1.3, 0.9, density);

    // Far clouds take on the haze's colour, and none show right down at the horizon.
    colour = mix(colour, light.haze, 1.0 - exp(-distance * 0.07));
    opacity *= smoothstep(0.02, 0.16, w.y);
    return vec4(colour, opacity);
}
