#version 430 core
// Tree crowns: leaf cards cut out by the picture's alpha and seen from both sides. A card's normal
// leans towards the crown's surface; seen from behind it is mirrored in the card's plane, so the
// leaf's back is lit like its front while the crown still shades as a rounded mass. Looking
// towards the sun, some sunlight comes through the thin leaves (zul/leaflight.glsl). Leaves are
// darker low in the crown and lighter at the top, where the young leaves are.
//   AtmosphereModel   the sun's colour and view-space direction
#include <materials/gbuffer.glsl>
#include <deferred/atmosphere_block.glsl>
#include <zul/leaflight.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec3 viewPosition;
in vec2 uv;
in float height;

void main() {
    vec4 leaf = texture(diffuse_map, uv);
    // Mipmaps average the cut-outs into a thin haze: farther cards keep their leaves with a lower
    // threshold.
    float lod = max(textureQueryLod(diffuse_map, uv).x, 0.0);
    if (leaf.a * (1.0 + 0.3 * lod) < 0.5)
        discard;
    vec3 albedo = leaf.rgb * leaf.rgb * mix(1.0, 1.6, clamp(height / 10.0, 0.0, 1.0));

    vec3 n = normalize(viewNormal);
    if (!gl_FrontFacing) {
        vec3 card = normalize(cross(dFdx(viewPosition), dFdy(viewPosition)));
        n = normalize(reflect(n, card));
    }
    writeGBuffer(albedo, vec3(0.03), 0.3, n, albedo * lightThrough(n, viewPosition, 0.06, 0.4));
}
