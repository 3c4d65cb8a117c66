// Per-light shadow map lookup of the point, spot and projective shadow variants.
//   ShadowMatrix  view space to the shadow map's texture coordinates and depth (homogeneous)
//   shadowmap     the light's depth map, compared in hardware
uniform mat4 ShadowMatrix;
uniform sampler2DShadow shadowmap;

float spotShadow(vec3 position) {
    vec4 c = ShadowMatrix * vec4(position, 1.0);
    if (c.w <= 0.0)
        return 1.0;
    vec2 texel = 1.0 / vec2(textureSize(shadowmap, 0));
    float lit = 0.0;
    for (int y = -1; y <= 1; ++y)
        for (int x = -1; x <= 1; ++x)
            lit += textureProj(shadowmap, c + vec4(vec2(x, y) * texel * c.w, 0.0, 0.0));
    return lit / 9.0;
}
