#version 330 core
#include <common.glsl>

in vec3 worldNormal;
in vec3 worldPosition;
in vec2 uv;

uniform sampler2D surface;
uniform samplerCube sky;
uniform vec3 eye;
uniform float pulse;

out vec4 colour;

void main() {
    vec3 n = normalize(worldNormal);
    vec3 v = normalize(worldPosition - eye);
    vec3 albedo = texture(surface, uv).rgb;
    vec3 sun = normalize(vec3(0.4, 0.8, 0.5));
    float diffuse = max(dot(n, sun), 0.0);
    vec3 reflection = texture(sky, reflect(v, n)).rgb;
    float fresnel = pow(1.0 - max(dot(-v, n), 0.0), 3.0);
    vec3 lit = albedo * (0.25 + 0.75 * diffuse) + reflection * (0.15 + 0.6 * fresnel);
    colour = vec4(lit * (1.0 + 0.6 * pulse), 1.0);
}
