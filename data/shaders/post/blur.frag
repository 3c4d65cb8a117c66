#version 430 core
// One direction of a separable Gaussian blur (sigma about 2 pixels), nine taps in five linear
// fetches.
//   tex        the image
//   TexelSize  the step: (1 / width, 0) across, (0, 1 / height) down
#include <post/gaussian.glsl>

in vec2 uv;
uniform sampler2D tex;
uniform vec2 TexelSize;
out vec4 fragColor;

void main() {
    fragColor = vec4(gaussian9(tex, uv, TexelSize), 1.0);
}
