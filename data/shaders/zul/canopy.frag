#version 430 core
// Tree crowns: leaves from three projections blended by the normal, darker deep inside and low
// in the crown, lighter at the top where the young leaves are.
#include <materials/gbuffer.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec3 objectPosition;
in vec3 objectNormal;
in float height;

void main() {
    vec3 w = abs(normalize(objectNormal));
    w = w * w;
    w /= w.x + w.y + w.z;
    vec3 p = objectPosition * 0.45;
    vec3 leaves = texture(diffuse_map, p.zy).rgb * w.x + texture(diffuse_map, p.xz).rgb * w.y +
                  texture(diffuse_map, p.xy).rgb * w.z;
    vec3 albedo = leaves * leaves * mix(1.1, 1.9, clamp(height / 10.0, 0.0, 1.0));
    writeGBuffer(albedo, vec3(0.03), 0.3, viewNormal, vec3(0.0));
}
