#version 430 core
// Sail cloth: the back face shows the same weave with its normal turned to the viewer. Canvas is
// thin: with the sun beyond it, much of the sunlight comes through as light of its own, most when
// the viewer looks towards the sun, so a sail against the bright sky glows instead of darkening.
//   AtmosphereModel   the sun's colour and view-space direction
#include <materials/gbuffer.glsl>
#include <deferred/atmosphere_block.glsl>
uniform sampler2D diffuse_map;
in vec3 viewNormal;
in vec3 viewPosition;
in vec2 uv;

void main() {
    vec3 n = normalize(viewNormal);
    if (!gl_FrontFacing)
        n = -n;
    vec3 albedo = texture(diffuse_map, uv).rgb;
    albedo *= albedo;
    vec3 sun = normalize(SunDirection + vec3(1e-6));
    // The sunlight as the light pass gives it: the model's colour times the sun's intensity.
    vec3 sunLight = SunColor.rgb * SunColor.a;
    float through = max(dot(-n, sun), 0.0);
    float against = pow(max(dot(normalize(viewPosition), sun), 0.0), 2.0);
    vec3 glow = albedo * (sunLight * through * (0.7 + 0.8 * against) + 0.04);
    writeGBuffer(albedo, vec3(0.03), 0.15, n, glow);
}
