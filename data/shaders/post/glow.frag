#version 430 core
// Glow: one direction of a separable Gaussian whose taps spread by Step (1, 2, 4, ... per
// iteration, so the passes build a pyramid of ever wider blurs at full size); the first pass
// also keeps only what exceeds the threshold.
//   tex        the image
//   TexelSize  the step: (1 / width, 0) across, (0, 1 / height) down
//   Step       tap spacing of this iteration in texels
//   color      rgb threshold, a scale; (0, 0, 0, 1) after the first pass (pass-through)
#include <post/common.glsl>
#include <post/gaussian.glsl>

in vec2 uv;
uniform sampler2D tex;
uniform vec2 TexelSize;
uniform float Step;
uniform vec4 color;
out vec4 fragColor;

void main() {
    vec2 step = TexelSize * max(Step, 1.0);
    if (color == vec4(0.0, 0.0, 0.0, 1.0)) {
        fragColor = vec4(gaussian9(tex, uv, step), 1.0);
        return;
    }
    // The bright-pass before blurring, tap by tap, so bright edges do not bleed dark halos.
    const float offsets[3] = float[](0.0, 1.3846153846, 3.2307692308);
    const float weights[3] = float[](0.2270270270, 0.3162162162, 0.0702702703);
    vec3 sum = brightPass(texture(tex, uv).rgb, color) * weights[0];
    for (int i = 1; i < 3; ++i) {
        sum += brightPass(texture(tex, uv + step * offsets[i]).rgb, color) * weights[i];
        sum += brightPass(texture(tex, uv - step * offsets[i]).rgb, color) * weights[i];
    }
    fragColor = vec4(sum, 1.0);
}
