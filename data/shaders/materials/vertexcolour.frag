#version 430 core
// Vertex-coloured material.
#include <materials/gbuffer.glsl>
#include <materials/material_params.glsl>
in vec3 viewNormal;
in vec3 colour;

void main() {
    writeGBuffer(colour * materialColor.rgb, materialSpecular.rgb, materialSpecular.a, viewNormal, materialEmissive);
}
