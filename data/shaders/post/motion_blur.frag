#version 430 core
// Camera motion blur: rebuilds each pixel's world position from depth, finds where the previous
// frame's camera saw it and smears the image along the way between.
//   color_buffer    the image
//   depth_buffer    depth of the scene in its red channel, [0, 1] as in the depth buffer
//   TexelSize       1 / size of the target
//   CurrentMatrix   inverse of the current view-projection (clip to world)
//   PreviousMatrix  previous camera view followed by the current projection (world to clip)
in vec2 uv;
uniform sampler2D color_buffer;
uniform sampler2D depth_buffer;
uniform vec2 TexelSize;
uniform mat4 CurrentMatrix;
uniform mat4 PreviousMatrix;
out vec4 fragColor;

const int kTaps = 12;
const float kMaxTexels = 24.0;

void main() {
    float d = texture(depth_buffer, uv).r;
    vec4 world = CurrentMatrix * vec4(uv * 2.0 - 1.0, d * 2.0 - 1.0, 1.0);
    world /= world.w;
    vec4 previous = PreviousMatrix * world;
    vec2 previousUv = previous.xy / max(previous.w, 1e-6) * 0.5 + 0.5;
    vec2 velocity = (uv - previousUv) * 0.5;
    // Bounded, so a camera cut cannot smear across the whole screen.
    vec2 inTexels = velocity / TexelSize;
    float length = dot(inTexels, inTexels) > 0.0 ? sqrt(dot(inTexels, inTexels)) : 0.0;
    if (length > kMaxTexels)
        velocity *= kMaxTexels / length;
    vec3 sum = vec3(0.0);
    for (int i = 0; i < kTaps; ++i)
        sum += texture(color_buffer, uv - velocity * (float(i) / float(kTaps - 1) - 0.5)).rgb;
    fragColor = vec4(sum / float(kTaps), 1.0);
}
