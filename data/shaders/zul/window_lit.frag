#version 430 core
// Window panes at dusk: the lamps inside come on over beats 228-238 and the panes glow warm.
//   time  demo beats
#include <materials/gbuffer.glsl>
uniform sampler2D diffuse_map;
uniform float time;
in vec3 viewNormal;
in vec2 uv;

void main() {
    vec3 glass = texture(diffuse_map, uv).rgb;
    float lit = smoothstep(228.0, 238.0, time);
    vec3 lamp = vec3(1.0, 0.62, 0.28) * (0.6 + 0.4 * glass.r) * 1.6 * lit;
    writeGBuffer(glass * glass * 0.5, vec3(0.08), 0.9, viewNormal, lamp);
}
