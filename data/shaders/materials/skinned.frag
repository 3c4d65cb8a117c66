#version 430 core
// Skinned material: albedo from diffuse_map like the textured material (the skin moves the
// vertices only).
//   diffuse_map  albedo picture
#include <materials/gbuffer.glsl>
#include <materials/material_params.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec2 uv;

void main() {
    vec3 albedo = texture(diffuse_map, uv).rgb;
    writeGBuffer(albedo * albedo * materialColor.rgb, materialSpecular.rgb, materialSpecular.a, viewNormal,
                 materialEmissive);
}
