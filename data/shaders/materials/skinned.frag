#version 430 core
// Skinned material: one colour, one reflectance (the skin moves the vertices only).
#include <materials/gbuffer.glsl>
#include <materials/material_params.glsl>
in vec3 viewNormal;

void main() {
    writeGBuffer(materialColor.rgb, materialSpecular.rgb, materialSpecular.a, viewNormal, materialEmissive);
}
