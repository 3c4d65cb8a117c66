#version 430 core
// The valley's ground: meadow grass in the hollows, a drier, flowering turf on the rises, earth and
// stone where the slope is steep, all tiled in world space with a finer detail picture on top and
// a broad colour variation so the tiling does not show.
//   grass_map, meadow_map, rock_map   albedo of the layers, grass_normal their shared bumps
//   detail_map       grey detail, 0.5 neutral
//   noise_map        broad variation
//   texScale         tiles per metre of the layers ("terrain.texCoord.scale")
//   detailParams     (detail tiles per layer tile, detail strength) ("terrain.detailParams")
//   smoothness       the layers' smoothness: grass, meadow, rock, wet ("terrain.smooth")
//   EmissionSphere   xyz a warm light near the ground (the farm's lamp), w its reach in metres
#include <materials/gbuffer.glsl>
uniform sampler2D grass_map;
uniform sampler2D meadow_map;
uniform sampler2D rock_map;
uniform sampler2D grass_normal;
uniform sampler2D detail_map;
uniform sampler2D noise_map;
uniform mat4 ViewMatrix;
uniform float texScale = 0.25;
uniform float detailParams[2] = float[2](8.0, 0.5);
uniform float smoothness[4] = float[4](0.3, 0.25, 0.4, 0.6);
uniform vec4 EmissionSphere = vec4(0.0);
in vec3 worldPosition;
in vec3 worldNormal;
in vec3 worldTangent;

void main() {
    vec2 st = worldPosition.xz * texScale;
    vec3 n = normalize(worldNormal);
    vec3 t = normalize(worldTangent - n * dot(n, worldTangent));
    vec3 b = cross(n, t);
    float broad = texture(noise_map, worldPosition.xz / 230.0).r;
    float patches = texture(noise_map, worldPosition.xz / 61.0 + 0.37).r;
    float steep = 1.0 - n.y;
    // Meadow on the rises and in broad patches, rock where the ground tilts past ~25 degrees.
    float meadow = smoothstep(0.45, 0.65, patches + worldPosition.y * 0.02);
    float rock = smoothstep(0.09, 0.2, steep + (broad - 0.5) * 0.1);
    vec3 grass = texture(grass_map, st).rgb, flowers = texture(meadow_map, st * 0.7).rgb,
         stone = texture(rock_map, st * 1.3).rgb;
    vec3 albedo = mix(grass * grass, flowers * flowers, meadow);
    albedo = mix(albedo, stone * stone, rock);
    // The turf pictures are drawn true to life (dark); the valley reads a shade brighter.
    albedo *= mix(0.8, 1.15, broad) * 1.5;
    float detail = texture(detail_map, st * detailParams[0]).r;
    albedo *= mix(1.0, 2.0 * detail, detailParams[1]);
    vec3 bump = texture(grass_normal, st).xyz * 2.0 - 1.0;
    vec3 worldBumped = normalize(mat3(t, b, n) * vec3(bump.xy * 0.7, bump.z));
    float shine = mix(mix(smoothness[0], smoothness[1], meadow), smoothness[2], rock);
    vec3 emissive = vec3(0.0);
    if (EmissionSphere.w > 0.0) {
        float d = distance(worldPosition, EmissionSphere.xyz) / EmissionSphere.w;
        emissive = albedo * vec3(1.0, 0.55, 0.2) * 1.4 / (1.0 + 12.0 * d * d) * (1.0 - smoothstep(0.8, 1.0, d));
    }
    writeGBuffer(albedo, vec3(0.035), shine, mat3(ViewMatrix) * worldBumped, emissive);
}
