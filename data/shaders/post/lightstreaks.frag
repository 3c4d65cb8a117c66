#version 430 core
// Light streaks, one pass of an iterated directional (Kawase-style) blur: four taps along each
// direction and its opposite, their spacing doubling with every pass, so a few passes
// draw long streaks out of the bright parts. The first pass keeps only what exceeds the threshold.
//   tex        the image
//   TexelSize  1 / size of the target
//   Direction  the two streak directions in texels
//   Weights    the four tap weights of each direction (unit vectors)
//   B          the pass number from 1: tap spacing is 2^(B - 1), so each pass extends the
//              streaks its predecessors drew without leaving gaps between the copies
//   color      rgb threshold, a scale; (0, 0, 0, 1) after the first pass (pass-through)
#include <post/common.glsl>

in vec2 uv;
uniform sampler2D tex;
uniform vec2 TexelSize;
uniform vec2 Direction[2];
uniform vec4 Weights[2];
uniform float B;
uniform vec4 color;
out vec4 fragColor;

void main() {
    float spacing = exp2(B - 1.0);
    vec3 sum = vec3(0.0);
    float total = 0.0;
    for (int d = 0; d < 2; ++d) {
        vec2 step = Direction[d] * TexelSize * spacing;
        for (int s = 0; s < 4; ++s) {
            float w = Weights[d][s];
            vec2 offset = step * float(s);
            sum += brightPass(texture(tex, uv + offset).rgb, color) * w;
            sum += brightPass(texture(tex, uv - offset).rgb, color) * w;
            total += 2.0 * w;
        }
    }
    fragColor = vec4(total > 0.0 ? sum / total * 2.0 : vec3(0.0), 1.0);
}
