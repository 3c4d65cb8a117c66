#version 430 core
// Normal-mapped material.
//   diffuse_map  albedo picture
//   normal_map   tangent-space normals, 0..1 encoded, +y along +v
#include <materials/gbuffer.glsl>
#include <materials/material_params.glsl>
uniform sampler2D diffuse_map;
uniform sampler2D normal_map;
in vec3 viewNormal;
in vec3 viewTangent;
in vec2 uv;

void main() {
    vec3 n = normalize(viewNormal);
    vec3 t = normalize(viewTangent - n * dot(n, viewTangent));
    vec3 b = cross(n, t);
    vec3 m = texture(normal_map, uv).xyz * 2.0 - 1.0;
    vec3 albedo = texture(diffuse_map, uv).rgb;
    writeGBuffer(albedo * albedo * materialColor.rgb, materialSpecular.rgb, materialSpecular.a,
                 mat3(t, b, n) * m, materialEmissive);
}
