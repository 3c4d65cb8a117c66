// What every material's fragment stage writes into the G-buffer.
//   diffuse     rgb albedo
//   specular    rgb reflectance at normal incidence (about 0.04 for non-metals)
//   smoothness  0 rough to 1 mirror-like
//   normal      view-space unit normal
//   emissive    light the surface gives off itself (added before the lights)
layout(location = 0) out vec4 gbDiffuse;
layout(location = 1) out vec4 gbSpecular;
layout(location = 2) out vec4 gbNormal;
layout(location = 3) out vec4 gbLight;
layout(location = 4) out vec4 gbDepth;

void writeGBuffer(vec3 diffuse, vec3 specular, float smoothness, vec3 normal, vec3 emissive) {
    gbDiffuse = vec4(diffuse, 1.0);
    gbSpecular = vec4(specular, clamp(smoothness, 0.0, 1.0));
    gbNormal = vec4(normalize(normal), 0.0);
    gbLight = vec4(emissive, 1.0);
    gbDepth = vec4(gl_FragCoord.z);
}
