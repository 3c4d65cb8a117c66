#version 430 core
// Radial blur: smears the image along the line from each pixel towards Origin (light shafts,
// zoom blur). The first pass keeps only what exceeds the threshold.
//   tex               the image
//   TexelSize         1 / size of the target
//   Origin            centre of the blur in texture coordinates
//   RadialBlurParams  x: where the smear starts along the line (0 at the pixel, 1 at the origin);
//                     y: its length as a share of the distance to the origin
//   color             rgb threshold, a scale; (0, 0, 0, 1) after the first pass (pass-through)
#include <post/common.glsl>

in vec2 uv;
uniform sampler2D tex;
uniform vec2 TexelSize;
uniform vec2 Origin;
uniform vec2 RadialBlurParams;
uniform vec4 color;
out vec4 fragColor;

const int kTaps = 16;

void main() {
    vec2 toOrigin = Origin - uv;
    // Each pass covers a quarter of the length: passes compound into smooth shafts.
    vec2 start = uv + toOrigin * RadialBlurParams.x;
    vec2 step = toOrigin * (RadialBlurParams.y * 0.25 / float(kTaps));
    vec3 sum = vec3(0.0);
    float total = 0.0;
    for (int i = 0; i < kTaps; ++i) {
        float w = 1.0 - float(i) / float(kTaps);
        sum += brightPass(texture(tex, start + step * float(i)).rgb, color) * w;
        total += w;
    }
    fragColor = vec4(sum / total, 1.0);
}
