// The valley's ground: the height map the ground mesh was built from, one texel per vertex of its
// 128-cell grid over 400 m, grey 0..1 standing for -4..24 m. Rows run from the south edge (+z) up.
uniform sampler2D heights;

const float kValleySize = 400.0;
const float kValleyCells = 128.0;

vec2 valleyTexCoord(vec2 xz) {
    vec2 cell = vec2(xz.x / kValleySize + 0.5, 0.5 - xz.y / kValleySize) * kValleyCells;
    return (cell + 0.5) / (kValleyCells + 1.0);
}

float valleyHeight(vec2 xz) {
    return -4.0 + 28.0 * textureLod(heights, valleyTexCoord(xz), 0.0).r;
}

vec3 valleyNormal(vec2 xz) {
    const float e = kValleySize / kValleyCells;
    float dx = valleyHeight(xz + vec2(e, 0.0)) - valleyHeight(xz - vec2(e, 0.0));
    float dz = valleyHeight(xz + vec2(0.0, e)) - valleyHeight(xz - vec2(0.0, e));
    return normalize(vec3(-dx, 2.0 * e, -dz));
}

// A slow breeze: gusts travel across the valley from the west.
vec2 breeze(vec2 xz, float time) {
    float gust = sin(time * 1.7 - xz.x * 0.09 + xz.y * 0.03) * 0.6 + sin(time * 3.1 - xz.x * 0.23) * 0.25;
    return vec2(0.55 + gust, 0.18 * sin(time * 2.3 + xz.y * 0.11));
}
