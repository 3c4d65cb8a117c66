#version 430 core
// Plain material: one colour, one reflectance.
#include <materials/gbuffer.glsl>
#include <materials/material_params.glsl>
in vec3 viewNormal;

void main() {
    writeGBuffer(materialColor.rgb, materialSpecular.rgb, materialSpecular.a, viewNormal, materialEmissive);
}
