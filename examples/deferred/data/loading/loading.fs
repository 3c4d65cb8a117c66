#version 330 core

// params.x: fade (0..1); params.y: progress (0..1).
in vec2 uv;
uniform sampler2D loading;
uniform vec2 params;
out vec4 colour;

void main() {
    vec3 picture = texture(loading, uv).rgb;
    bool inBar = uv.y > 0.06 && uv.y < 0.08 && uv.x > 0.1 && uv.x < 0.9;
    bool filled = uv.x < 0.1 + 0.8 * params.y;
    vec3 bar = filled ? vec3(1.0, 0.85, 0.4) : vec3(0.2);
    colour = vec4((inBar ? bar : picture) * params.x, 1.0);
}
