// Shared by the light fragment stages: G-buffer decoding and the shading model.
//   gb_diffuse   rgb albedo
//   gb_specular  rgb specular reflectance at normal incidence, a smoothness in [0, 1]
//   gb_normal    rgb view-space unit normal (cleared to (0, 0, 1) where nothing was drawn)
//   gb_depth     window depth; 1 where nothing was drawn
//   viewport     1 / target size in pixels
//   projCoeffs   elements 0, 5, 11, 14, 15 of the inverse projection: rebuild view positions
uniform sampler2D gb_diffuse;
uniform sampler2D gb_specular;
uniform sampler2D gb_normal;
uniform sampler2D gb_depth;
uniform vec2 viewport;
uniform float projCoeffs[5];

flat in vec3 lightPosition;
flat in vec3 lightParams;
flat in vec3 lightColour;
flat in vec3 lightVector;

out vec4 fragColour;

struct Surface {
    vec3 position; // view space
    vec3 normal;
    vec3 albedo;
    vec3 specular;
    float smoothness;
};

// False for pixels nothing was drawn into.
bool readSurface(out Surface s) {
    vec2 uv = gl_FragCoord.xy * viewport;
    float depth = texture(gb_depth, uv).r;
    if (depth >= 1.0)
        return false;
    vec3 ndc = vec3(uv, depth) * 2.0 - 1.0;
    // Inverse projection of a perspective matrix: x and y scale, z fixed, w linear in depth.
    float w = ndc.z * projCoeffs[3] + projCoeffs[4];
    s.position = vec3(ndc.x * projCoeffs[0], ndc.y * projCoeffs[1], projCoeffs[2]) / w;
    s.normal = normalize(texture(gb_normal, uv).xyz);
    s.albedo = texture(gb_diffuse, uv).rgb;
    vec4 spec = texture(gb_specular, uv);
    s.specular = spec.rgb;
    s.smoothness = spec.a;
    return true;
}

// Lambert diffuse plus a normalised Blinn-Phong lobe with Schlick's Fresnel, for unit vectors L
// (towards the light) and the surface; the diffuse part keeps what the specular part reflects out.
// The light's radiance is folded into its colour (the 1/pi factors cancel).
vec3 shade(Surface s, vec3 L, vec3 radiance) {
    float nl = dot(s.normal, L);
    if (nl <= 0.0)
        return vec3(0.0);
    vec3 V = normalize(-s.position);
    vec3 H = normalize(L + V);
    float power = exp2(s.smoothness * 11.0);
    vec3 fresnel = s.specular + (1.0 - s.specular) * pow(1.0 - clamp(dot(L, H), 0.0, 1.0), 5.0);
    vec3 specular = fresnel * ((power + 8.0) / 8.0) * pow(max(dot(s.normal, H), 0.0), power);
    vec3 diffuse = s.albedo * (1.0 - s.specular);
    return radiance * nl * (diffuse + specular);
}

// Smooth window: 1 at the light, 0 at `radius`, with an inverse-square middle.
float falloff(float distance, float radius) {
    float x = clamp(distance / max(radius, 1e-4), 0.0, 1.0);
    float window = 1.0 - x * x;
    return window * window / (1.0 + 16.0 * x * x);
}
