#version 430 core
// A procedurally lit test scene, ray-cast per pixel into G-buffer-shaped outputs: a checkered
// floor, a ring of spheres and one glowing sphere that carries a point light.
//   InverseViewProjection  clip to world, for the pixel's ray
//   ViewProjection         world to clip, for the depth of the hit
//   View                   world to eye, for eye-space normals
//   Eye                    camera position; Time the demo time in beats
in vec2 uv;
uniform mat4 InverseViewProjection;
uniform mat4 ViewProjection;
uniform mat4 View;
uniform vec3 Eye;
uniform float Time;

layout(location = 0) out vec4 diffuseOut;
layout(location = 1) out vec4 specularOut;
layout(location = 2) out vec4 normalOut;
layout(location = 3) out vec4 lightOut;
layout(location = 4) out vec4 depthOut;

const int kSpheres = 7;

vec4 sphere(int i) {
    if (i == kSpheres - 1)
        return vec4(1.6 * cos(Time * 0.4), 1.1 + 0.3 * sin(Time * 0.9), 1.6 * sin(Time * 0.4), 0.3);
    float a = float(i) * 6.2831853 / float(kSpheres - 1);
    return vec4(2.6 * cos(a), 0.7 + 0.1 * float(i % 2), 2.6 * sin(a), 0.7 + 0.1 * float(i % 2));
}

vec3 albedo(int i) {
    return 0.5 + 0.45 * cos(6.2831853 * (vec3(0.0, 0.33, 0.67) + float(i) * 0.17));
}

void main() {
    vec4 nearPoint = InverseViewProjection * vec4(uv * 2.0 - 1.0, -1.0, 1.0);
    vec4 farPoint = InverseViewProjection * vec4(uv * 2.0 - 1.0, 1.0, 1.0);
    vec3 origin = nearPoint.xyz / nearPoint.w;
    vec3 dir = normalize(farPoint.xyz / farPoint.w - origin);

    float tHit = 1e9;
    int hit = -1;
    for (int i = 0; i < kSpheres; ++i) {
        vec4 s = sphere(i);
        vec3 oc = origin - s.xyz;
        float b = dot(oc, dir), c = dot(oc, oc) - s.w * s.w, h = b * b - c;
        if (h > 0.0) {
            float t = -b - sqrt(h);
            if (t > 0.0 && t < tHit) {
                tHit = t;
                hit = i;
            }
        }
    }
    if (dir.y < 0.0) {
        float t = -origin.y / dir.y;
        if (t < tHit && t < 40.0) {
            tHit = t;
            hit = kSpheres;
        }
    }

    if (hit < 0) {
        vec3 sky = mix(vec3(0.5, 0.55, 0.7), vec3(0.08, 0.1, 0.25), clamp(dir.y * 2.0, 0.0, 1.0));
        diffuseOut = vec4(0.0);
        specularOut = vec4(0.0);
        normalOut = vec4(0.0, 0.0, 1.0, 0.0);
        lightOut = vec4(sky, 1.0);
        depthOut = vec4(1.0);
        gl_FragDepth = 1.0;
        return;
    }

    vec3 p = origin + dir * tHit;
    vec3 n;
    vec3 base;
    if (hit == kSpheres) {
        n = vec3(0.0, 1.0, 0.0);
        vec2 cell = floor(p.xz);
        base = mod(cell.x + cell.y, 2.0) < 1.0 ? vec3(0.75) : vec3(0.25, 0.27, 0.3);
    } else {
        n = normalize(p - sphere(hit).xyz);
        base = albedo(hit);
    }
    vec3 lightPos = sphere(kSpheres - 1).xyz;
    vec3 toLight = lightPos - p;
    float dist = length(toLight);
    vec3 l = toLight / dist;
    vec3 sun = normalize(vec3(-0.4, 0.8, 0.3));
    vec3 v = -dir;
    float spec = pow(max(dot(reflect(-l, n), v), 0.0), 40.0);
    vec3 lit = base * (0.08 + 0.5 * max(dot(n, sun), 0.0)) +
               (base * max(dot(n, l), 0.0) + vec3(spec)) * vec3(2.4, 1.7, 1.0) / (1.0 + dist * dist * 0.4);
    if (hit == kSpheres - 1)
        lit = vec3(6.0, 4.5, 2.5); // the glowing sphere itself

    vec4 clip = ViewProjection * vec4(p, 1.0);
    float depth = clip.z / clip.w * 0.5 + 0.5;
    diffuseOut = vec4(base, 1.0);
    specularOut = vec4(vec3(0.5), 40.0 / 255.0);
    normalOut = vec4(normalize(mat3(View) * n), 0.0);
    lightOut = vec4(lit, 1.0);
    depthOut = vec4(depth);
    gl_FragDepth = depth;
}
