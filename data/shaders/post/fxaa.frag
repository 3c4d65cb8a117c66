#version 430 core
// Fast approximate anti-aliasing of the lit image, tuned like the high-quality PC presets:
// local contrast test, edge orientation from second differences along both axes, a 12-step
// search along the edge for its ends, the blend offset from the nearer end, and sub-pixel
// smoothing of single-pixel features.
//   tex        the image (linear filtering, clamped to its edge)
//   TexelSize  1 / size of the target
#include <post/common.glsl>

in vec2 uv;
uniform sampler2D tex;
uniform vec2 TexelSize;
out vec4 fragColor;

const float kEdgeThreshold = 0.125;    // least contrast, relative to the local maximum
const float kEdgeThresholdMin = 0.0312; // least absolute contrast (dark areas)
const float kSubpixel = 0.75;          // share of sub-pixel smoothing
const int kSteps = 12;
const float kStepSize[kSteps] = float[](1.0, 1.0, 1.0, 1.0, 1.0, 1.5, 2.0, 2.0, 2.0, 2.0, 4.0, 8.0);

float lumaAt(vec2 p) {
    // Perceptual luma of the tone-mapped value: edges are judged as they will be seen.
    vec3 c = texture(tex, p).rgb;
    return sqrt(luma(c / (1.0 + c)));
}

void main() {
    vec4 centre = texture(tex, uv);
    float lumaM = lumaAt(uv);
    float lumaN = lumaAt(uv + vec2(0.0, TexelSize.y));
    float lumaS = lumaAt(uv - vec2(0.0, TexelSize.y));
    float lumaE = lumaAt(uv + vec2(TexelSize.x, 0.0));
    float lumaW = lumaAt(uv - vec2(TexelSize.x, 0.0));
    float maxLuma = max(lumaM, max(max(lumaN, lumaS), max(lumaE, lumaW)));
    float minLuma = min(lumaM, min(min(lumaN, lumaS), min(lumaE, lumaW)));
    float range = maxLuma - minLuma;
    if (range < max(kEdgeThresholdMin, maxLuma * kEdgeThreshold)) {
        fragColor = centre;
        return;
    }

    float lumaNE = lumaAt(uv + TexelSize);
    float lumaSW = lumaAt(uv - TexelSize);
    float lumaNW = lumaAt(uv + vec2(-TexelSize.x, TexelSize.y));
    float lumaSE = lumaAt(uv + vec2(TexelSize.x, -TexelSize.y));

    // Second differences tell whether the edge runs horizontally or vertically.
    float edgeH = abs(lumaNW + lumaNE - 2.0 * lumaN) + 2.0 * abs(lumaW + lumaE - 2.0 * lumaM) +
                  abs(lumaSW + lumaSE - 2.0 * lumaS);
    float edgeV = abs(lumaNW + lumaSW - 2.0 * lumaW) + 2.0 * abs(lumaN + lumaS - 2.0 * lumaM) +
                  abs(lumaNE + lumaSE - 2.0 * lumaE);
    bool horizontal = edgeH >= edgeV;

    // Which side of the pixel the edge lies on: the steeper gradient.
    float luma1 = horizontal ? lumaS : lumaW;
    float luma2 = horizontal ? lumaN : lumaE;
    float gradient1 = luma1 - lumaM;
    float gradient2 = luma2 - lumaM;
    bool steeper1 = abs(gradient1) >= abs(gradient2);
    float gradientScaled = 0.25 * max(abs(gradient1), abs(gradient2));
    float stepLength = horizontal ? TexelSize.y : TexelSize.x;
    float lumaLocalAverage;
    if (steeper1) {
        stepLength = -stepLength;
        lumaLocalAverage = 0.5 * (luma1 + lumaM);
    } else {
        lumaLocalAverage = 0.5 * (luma2 + lumaM);
    }

    // Walk along the edge, half a pixel off centre, until the luma leaves the local average.
    vec2 edgeUv = uv;
    if (horizontal)
        edgeUv.y += stepLength * 0.5;
    else
        edgeUv.x += stepLength * 0.5;
    vec2 along = horizontal ? vec2(TexelSize.x, 0.0) : vec2(0.0, TexelSize.y);
    vec2 uv1 = edgeUv - along * kStepSize[0];
    vec2 uv2 = edgeUv + along * kStepSize[0];
    float end1 = lumaAt(uv1) - lumaLocalAverage;
    float end2 = lumaAt(uv2) - lumaLocalAverage;
    bool reached1 = abs(end1) >= gradientScaled;
    bool reached2 = abs(end2) >= gradientScaled;
    for (int i = 1; i < kSteps && !(reached1 && reached2); ++i) {
        if (!reached1) {
            uv1 -= along * kStepSize[i];
            end1 = lumaAt(uv1) - lumaLocalAverage;
            reached1 = abs(end1) >= gradientScaled;
        }
        if (!reached2) {
            uv2 += along * kStepSize[i];
            end2 = lumaAt(uv2) - lumaLocalAverage;
            reached2 = abs(end2) >= gradientScaled;
        }
    }

    float distance1 = horizontal ? uv.x - uv1.x : uv.y - uv1.y;
    float distance2 = horizontal ? uv2.x - uv.x : uv2.y - uv.y;
    bool nearer1 = distance1 < distance2;
    float distanceFinal = min(distance1, distance2);
    float edgeLength = distance1 + distance2;
    float pixelOffset = -distanceFinal / edgeLength + 0.5;

    // Blend only when the nearer end bends the same way as the centre does.
    bool centreSmaller = lumaM < lumaLocalAverage;
    bool correctVariation = ((nearer1 ? end1 : end2) < 0.0) != centreSmaller;
    float finalOffset = correctVariation ? pixelOffset : 0.0;

    // Sub-pixel aliasing: single bright or dark pixels get the neighbourhood average.
    float average = (2.0 * (lumaN + lumaS + lumaE + lumaW) + lumaNW + lumaNE + lumaSW + lumaSE) / 12.0;
    float subpixel = clamp(abs(average - lumaM) / range, 0.0, 1.0);
    subpixel = (-2.0 * subpixel + 3.0) * subpixel * subpixel;
    finalOffset = max(finalOffset, subpixel * subpixel * kSubpixel);

    vec2 finalUv = uv;
    if (horizontal)
        finalUv.y += finalOffset * stepLength;
    else
        finalUv.x += finalOffset * stepLength;
    fragColor = vec4(texture(tex, finalUv).rgb, centre.a);
}
