#version 430 core
// Light particles: each point light drawn once more as a glowing disc at its position.
//   lightParams.y  the particle's radius (times radiusScale)
//   particle       the disc's picture (alpha ignored); without it a soft round falloff
//   gb_depth       hides the disc behind nearer surfaces
#include <deferred/lighting.glsl>
uniform sampler2D particle;
in vec2 discUv;

void main() {
    vec2 uv = gl_FragCoord.xy * viewport;
    if (texture(gb_depth, uv).r < gl_FragCoord.z)
        discard;
    float r = length(discUv * 2.0 - 1.0);
    float glow = clamp(1.0 - r, 0.0, 1.0);
    fragColour = vec4(lightColour * glow * glow, 0.0);
}
