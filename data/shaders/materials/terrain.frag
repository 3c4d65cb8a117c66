#version 430 core
// Terrain material: a low and a high layer blended by height (and steepness), each with a detail
// picture tiled finer on top.
//   low_map, high_map  albedo of the two layers
//   detail_map         grey detail, 0.5 neutral, tiled detailScale times per layer tile
//   heightBlend        (height where high starts, blend width)
#include <materials/gbuffer.glsl>
#include <materials/material_params.glsl>
uniform sampler2D low_map;
uniform sampler2D high_map;
uniform sampler2D detail_map;
uniform vec2 heightBlend = vec2(1.0, 0.5);
uniform float detailScale = 8.0;
in vec3 viewNormal;
in vec3 worldNormal;
in vec2 uv;
in float height;

void main() {
    float steep = 1.0 - clamp(normalize(worldNormal).y, 0.0, 1.0);
    float t = smoothstep(heightBlend.x - heightBlend.y, heightBlend.x + heightBlend.y, height + steep);
    vec3 low = texture(low_map, uv).rgb, high = texture(high_map, uv).rgb;
    vec3 albedo = mix(low * low, high * high, t);
    albedo *= 2.0 * texture(detail_map, uv * detailScale).r;
    writeGBuffer(albedo * materialColor.rgb, materialSpecular.rgb, materialSpecular.a * (1.0 - t * 0.5),
                 viewNormal, materialEmissive);
}
