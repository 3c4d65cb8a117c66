#version 430 core
// Screen-space ambient occlusion with a normal-oriented hemisphere kernel, a range check and a
// depth-aware (bilateral) blur, multiplied into the colour. Output: rgb = colour x occlusion,
// a = occlusion (1 open, 0 closed).
//   depth_buffer   the scene's depth buffer (depth comparison off)
//   normal_depth   eye-space unit normal in rgb, signed (a float format)
//   color_buffer   the image to darken
//   rotate         unit random vectors (repeating), turning the kernel per pixel
//   ao_buffer      raw occlusion from pass 0 (read by pass 2 only)
//   gi_samples     16 kernel entries: screen offset (x, y, at most 16 pixels) and a weight
//                  falling from 1 at the centre to 0 at the kernel's corners
//   ProjectionMatrixInverse  the inverse camera projection: rebuilds eye positions from depth
//   projCoeffs     elements 0, 5, 11, 14, 15 of that inverse: projects eye points back
//   CameraRange    (near, far, far - near, -(far * near))
//   TexelSize, InvViewport  1 / target size;  ScreenSize  target size in pixels
//   radius         kernel radius in eye units at unit distance from the camera
//   attBias, attScale, attPower  occlusion = clamp(sum * attScale + attBias, 0, 1) ^ attPower
//   giScale        how much light nearby surfaces bounce into the occluded one
//   depthScale     eye-distance scale of the range check (larger: occluders count from farther)
//   Pass           0 occlusion only, 1 occlusion and compose, 2 blur pass 0's result and compose
#include <post/common.glsl>

in vec2 uv;
uniform sampler2D depth_buffer;
uniform sampler2D normal_depth;
uniform sampler2D color_buffer;
uniform sampler2D rotate;
uniform sampler2D ao_buffer;
uniform vec3 gi_samples[16];
uniform mat4 ProjectionMatrixInverse;
uniform float projCoeffs[5];
uniform vec4 CameraRange;
uniform vec2 TexelSize;
uniform vec2 InvViewport;
uniform vec2 ScreenSize;
uniform float radius;
uniform float attBias;
uniform float attScale;
uniform float attPower;
uniform float giScale;
uniform float depthScale;
uniform int Pass;
out vec4 fragColor;

vec3 eyePosition(vec2 p) {
    float d = texture(depth_buffer, p).r;
    vec4 e = ProjectionMatrixInverse * vec4(p * 2.0 - 1.0, d * 2.0 - 1.0, 1.0);
    return e.xyz / e.w;
}

// Occlusion and bounced light at uv.
vec4 occlusion() {
    float d = texture(depth_buffer, uv).r;
    if (d >= 1.0)
        return vec4(0.0, 0.0, 0.0, 1.0); // sky: nothing occludes it
    vec3 p = eyePosition(uv);
    vec3 n = normalize(texture(normal_depth, uv).xyz);
    // A surface seen from behind (the inside of a sky dome, a leaf's back) faces the eye the other
    // way: its hemisphere would lie inside what is behind it.
    if (dot(n, p) > 0.0)
        n = -n;
    vec3 random = texture(rotate, gl_FragCoord.xy / vec2(textureSize(rotate, 0))).xyz;
    // A tangent frame around the normal, turned by the per-pixel random vector.
    vec3 t = random - n * dot(random, n);
    t = dot(t, t) > 1e-6 ? normalize(t) : normalize(cross(n, abs(n.x) < 0.9 ? vec3(1, 0, 0) : vec3(0, 1, 0)));
    mat3 frame = mat3(t, cross(n, t), n);
    float worldRadius = radius * max(-p.z, 1e-3) * 0.25 + radius;
    float occluded = 0.0, total = 0.0;
    vec3 bounce = vec3(0.0);
    for (int i = 0; i < 16; ++i) {
        // The kernel's screen offset, back in [-1, 1), lifted onto the hemisphere above the
        // surface; its weight shortens the far samples so they gather near the centre.
        vec2 offset = gi_samples[i].xy * ScreenSize / 16.0;
        float weight = max(gi_samples[i].z, 0.0);
        vec3 h = vec3(offset, sqrt(max(1.0 - dot(offset, offset) * 0.5, 0.0)) + 0.15);
        vec3 s = p + frame * (normalize(h) * worldRadius * (0.2 + 0.8 * (1.0 - weight)));
        vec2 sampleUv = projectEye(s, projCoeffs) * 0.5 + 0.5;
        if (any(lessThan(sampleUv, vec2(0.0))) || any(greaterThan(sampleUv, vec2(1.0))))
            continue;
        vec3 q = eyePosition(sampleUv);
        float behind = step(s.z + 0.02 * worldRadius, q.z);
        // Range check: occluders much nearer the camera than the sample do not count.
        float inRange = smoothstep(0.0, 1.0, worldRadius * depthScale / max(abs(p.z - q.z), 1e-4));
        float w = 0.5 + 0.5 * weight;
        occluded += behind * inRange * w;
        bounce += texture(color_buffer, sampleUv).rgb * behind * inRange * w *
                  max(dot(n, normalize(q - p + 1e-5)), 0.0);
        total += w;
    }
    float sum = total > 0.0 ? occluded / total : 0.0;
    float ao = 1.0 - pow(clamp(sum * attScale + attBias, 0.0, 1.0), attPower);
    // Bounced light: what the occluders reflect, a quarter strength at giScale 1.
    return vec4(bounce / max(total, 1.0) * giScale * 0.25, ao);
}

// 5x5 blur of pass 0's result (upsampled where it is smaller), each tap weighted by how well it lies on the centre's surface:
// its depth against the centre's (relative) and its normal against the centre's.
vec4 blurredOcclusion() {
    float centre = linearDepth(texture(depth_buffer, uv).r, CameraRange);
    vec3 centreNormal = texture(normal_depth, uv).xyz;
    vec4 sum = vec4(0.0);
    float total = 0.0;
    // Steps of the occlusion's own texels, which may be coarser than the target's.
    vec2 texel = 1.0 / vec2(textureSize(ao_buffer, 0));
    for (int y = -2; y <= 2; ++y) {
        for (int x = -2; x <= 2; ++x) {
            vec2 p = uv + vec2(x, y) * texel;
            float z = linearDepth(texture(depth_buffer, p).r, CameraRange);
            float depthWeight = max(1.0 - abs(z - centre) / (0.08 * centre), 0.0);
            float normalWeight = pow(max(dot(texture(normal_depth, p).xyz, centreNormal), 0.0), 8.0);
            float w = exp(-float(x * x + y * y) / 8.0) * depthWeight * normalWeight + 1e-4 * float(x == 0 && y == 0);
            sum += texture(ao_buffer, p) * w;
            total += w;
        }
    }
    return sum / total;
}

void main() {
    vec3 colour = texture(color_buffer, uv).rgb;
    if (Pass == 2) {
        vec4 o = blurredOcclusion();
        fragColor = vec4(colour * o.a + o.rgb, o.a);
        return;
    }
    vec4 o = occlusion();
    fragColor = Pass == 0 ? o : vec4(colour * o.a + o.rgb, o.a);
}
