// Nine-tap Gaussian along `step`, taken as five bilinear fetches between texel pairs.
vec3 gaussian9(sampler2D image, vec2 p, vec2 step) {
    const float offsets[3] = float[](0.0, 1.3846153846, 3.2307692308);
    const float weights[3] = float[](0.2270270270, 0.3162162162, 0.0702702703);
    vec3 sum = texture(image, p).rgb * weights[0];
    for (int i = 1; i < 3; ++i) {
        sum += texture(image, p + step * offsets[i]).rgb * weights[i];
        sum += texture(image, p - step * offsets[i]).rgb * weights[i];
    }
    return sum;
}
