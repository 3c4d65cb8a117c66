// The final composite into the back buffer, shared by the eight permutations; each defines
// USE_GLOW, USE_DOF and USE_SSAO before including this file.
//   color_buffer   the lit image after anti-aliasing and ambient occlusion
//   glow_buffer    glow, light streaks or radial blur, added on top (USE_GLOW)
//   dof_buffer     the blurred image for depth of field or the motion-blurred one (USE_DOF)
//   depth_buffer   the scene's depth, [0, 1] (USE_DOF)
//   ssao_buffer    occlusion in alpha, multiplied in (USE_SSAO: for a colour input that has
//                  not been through the occlusion pass)
//   color_grad     1D colour gradient indexed by luma; lut_fade blends it in (0 off, 1 fully)
//   distort_lut    noise texture whose red and green push the lookup around
//   distortParams  x strength (texture units), y noise tiling, z chromatic aberration
//   noise_lut      noise texture for film grain; noiseParams xy a fresh random offset per frame,
//                  z the grain amount
//   gammaParams    x display gamma (1 leaves the image as it is), y exposure multiplier
//   toneParams     the tone curve after exposure, w its white (0: no curve): a toe below x that
//                  tightens blacks by the power z, a straight middle of length y, and a shoulder
//                  that rolls bright light off towards w instead of clipping it
//   invViewport    1 / size of the back buffer
//   CameraRange    (near, far, far - near, -(far * near)) (USE_DOF)
//   DOFParams      x focus distance, y half depth of the sharp zone, z distance from the focus at
//                  which the blur is full, w = z - y (USE_DOF)
//   debug_buffer   a texture shown instead of the image when DEBUG_VIEW is defined
#include <post/common.glsl>

in vec2 uv;
uniform sampler2D color_buffer;
uniform sampler2D glow_buffer;
uniform sampler2D dof_buffer;
uniform sampler2D depth_buffer;
uniform sampler2D ssao_buffer;
uniform sampler1D color_grad;
uniform sampler2D distort_lut;
uniform sampler2D noise_lut;
uniform sampler2D debug_buffer;
uniform float lut_fade;
uniform vec3 distortParams;
uniform vec2 gammaParams;
uniform vec4 toneParams;
uniform vec3 noiseParams;
uniform vec2 invViewport;
#ifdef USE_DOF
uniform vec4 CameraRange;
uniform vec4 DOFParams;
#endif
out vec4 fragColor;

// Toe, straight middle and shoulder, joined smoothly; the middle keeps the exposed values as
// they are.
vec3 toneCurve(vec3 x) {
    float m = toneParams.x, P = toneParams.w, c = toneParams.z;
    float l0 = (P - m) * toneParams.y;
    float S0 = m + l0;
    float CP = -1.0 / (P - S0);
    vec3 w0 = 1.0 - smoothstep(0.0, m, x);
    vec3 w2 = step(S0, x);
    vec3 w1 = 1.0 - w0 - w2;
    vec3 toe = m * pow(x / m, vec3(c));
    vec3 shoulder = P - (P - S0) * exp(CP * (x - S0));
    return toe * w0 + x * w1 + shoulder * w2;
}

void main() {
#ifdef DEBUG_VIEW
    fragColor = vec4(texture(debug_buffer, uv).rgb, 1.0);
    return;
#endif
    vec2 p = uv;
    if (distortParams.x != 0.0)
        p += (texture(distort_lut, uv * max(distortParams.y, 1e-3)).rg - 0.5) * distortParams.x;
    vec3 c = texture(color_buffer, p).rgb;
    if (distortParams.z != 0.0) {
        vec2 shift = (p - 0.5) * distortParams.z;
        c.r = texture(color_buffer, p + shift).r;
        c.b = texture(color_buffer, p - shift).b;
    }
#ifdef USE_DOF
    float z = linearDepth(texture(depth_buffer, p).r, CameraRange);
    float blur = clamp((abs(z - DOFParams.x) - DOFParams.y) / max(DOFParams.w, 1e-4), 0.0, 1.0);
    c = mix(c, texture(dof_buffer, p).rgb, blur);
#endif
#ifdef USE_SSAO
    c *= texture(ssao_buffer, p).a;
#endif
#ifdef USE_GLOW
    c += texture(glow_buffer, p).rgb;
#endif
    c *= gammaParams.y;
    if (toneParams.w > 0.0)
        c = toneCurve(max(c, vec3(0.0)));
    if (lut_fade != 0.0)
        c = mix(c, texture(color_grad, clamp(luma(c), 0.0, 1.0)).rgb, clamp(lut_fade, 0.0, 1.0));
    if (noiseParams.z != 0.0) {
        vec2 grain = uv / invViewport / vec2(textureSize(noise_lut, 0)) + noiseParams.xy;
        c += (texture(noise_lut, grain).r - 0.5) * noiseParams.z;
    }
    c = pow(max(c, vec3(0.0)), vec3(1.0 / max(gammaParams.x, 1e-3)));
    fragColor = vec4(c, 1.0);
}
