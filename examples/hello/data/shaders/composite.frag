#version 330 core

in vec2 uv;
uniform sampler2D colorMap;
uniform float pulse;
out vec4 colour;

void main() {
    vec3 c = texture(colorMap, uv).rgb;
    vec2 d = uv - 0.5;
    float vignette = 1.0 - dot(d, d) * 1.2;
    colour = vec4(c * vignette + vec3(0.08, 0.05, 0.12) * pulse, 1.0);
}
