#version 430 core
// Decals: albedo blended over the ground by the picture's alpha; the ground's normal stays.
//   diffuse_map  RGBA picture, alpha the coverage
uniform sampler2D diffuse_map;
in vec2 uv;
layout(location = 0) out vec4 decalDiffuse;
layout(location = 1) out vec4 decalNormal;

void main() {
    vec4 c = texture(diffuse_map, uv);
    decalDiffuse = vec4(c.rgb * c.rgb, c.a);
    decalNormal = vec4(0.0);
}
