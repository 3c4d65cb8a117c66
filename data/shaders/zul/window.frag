#version 430 core
// Window panes by day: dark glass with a sharp reflection of the sky.
#include <materials/gbuffer.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec2 uv;

void main() {
    vec3 glass = texture(diffuse_map, uv).rgb;
    writeGBuffer(glass * glass * 0.5, vec3(0.08), 0.9, viewNormal, vec3(0.0));
}
