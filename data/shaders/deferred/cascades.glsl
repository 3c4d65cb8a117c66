// Cascaded shadow lookup of the sun.
//   CascadeMatrix  four matrices, view space to (u, v, depth) of each cascade (bias included)
//   cascadeDepths  window depth of each cascade's far end, nearest cascade first
//   shadowParams   (s, 1 - s) with s the shadow's strength
//   shadowmap      the four cascades as layers of one depth array, compared in hardware
uniform mat4 CascadeMatrix[4];
uniform vec4 cascadeDepths;
uniform vec2 shadowParams;
uniform sampler2DArrayShadow shadowmap;

// 3x3 bilinear-compared taps (a 4x4-texel tent) around the point's position in one cascade.
float cascadeTaps(int cascade, vec3 position) {
    vec4 c = CascadeMatrix[cascade] * vec4(position, 1.0);
    vec3 p = c.xyz / c.w;
    if (any(lessThan(p.xy, vec2(0.0))) || any(greaterThan(p.xy, vec2(1.0))))
        return 1.0;
    vec2 texel = 1.0 / vec2(textureSize(shadowmap, 0).xy);
    float lit = 0.0;
    for (int y = -1; y <= 1; ++y)
        for (int x = -1; x <= 1; ++x)
            lit += texture(shadowmap, vec4(p.xy + vec2(x, y) * texel, float(cascade), min(p.z, 1.0)));
    return lit / 9.0;
}

// Light reaching `position` (view space): 1 lit, 1 - strength fully shadowed. The point is moved
// along its normal by about a texel of its cascade so slopes do not shadow themselves, and the
// last tenth of each cascade fades into the next so no seam shows.
float cascadeShadow(vec3 position, vec3 normal, vec3 L) {
    float depth = gl_FragCoord.z;
    vec2 uv = gl_FragCoord.xy * viewport;
    depth = texture(gb_depth, uv).r;
    int cascade = 0;
    while (cascade < 3 && depth > cascadeDepths[cascade])
        ++cascade;
    float slope = 1.0 - clamp(dot(normal, L), 0.0, 1.0);
    float offset = 0.02 * (1.0 + float(cascade) * 2.0) * (0.5 + slope) * (-position.z) * 0.05;
    vec3 shifted = position + normal * offset;
    float lit = cascadeTaps(cascade, shifted);
    if (cascade < 3) {
        float start = cascade == 0 ? 0.0 : cascadeDepths[cascade - 1];
        float end = cascadeDepths[cascade];
        float t = (depth - start) / max(end - start, 1e-6);
        if (t > 0.9)
            lit = mix(lit, cascadeTaps(cascade + 1, shifted), (t - 0.9) / 0.1);
    }
    return shadowParams.y + shadowParams.x * lit;
}
