// Stars: the sphere is cut into bands of latitude, each band into cells of about equal size, and a
// hash of the cell decides whether it holds a star, where, how bright and in what tint. A star is
// a soft dot about a pixel wide at any resolution, twinkling a little with time.
//   time   demo time in beats

uniform float time;

// Band height in radians (a few pixels at the production's sizes), the share of cells that hold a
// star, and the brightest star's light.
const float kStarCell = 0.016;
const float kStarShare = 0.05;
const float kStarLight = 1.2;
const float kPi = 3.14159265;

uvec4 starHash(uvec2 cell) {
    // Two rounds of an integer mix (multiply-add, xorshift), four independent outputs.
    uvec4 v = uvec4(cell.x, cell.y, cell.x ^ 0x9e3779b9u, cell.y + 0x7f4a7c15u);
    v = v * 1664525u + 1013904223u;
    v.x += v.y * v.w;
    v.y += v.z * v.x;
    v.z += v.x * v.y;
    v.w += v.y * v.z;
    v ^= v >> 16u;
    v.x += v.y * v.w;
    v.y += v.z * v.x;
    v.z += v.x * v.y;
    v.w += v.y * v.z;
    return v ^ (v >> 16u);
}

// Eight numbers in [0, 1) for a cell, two from each output of the hash.
void starRandom(uvec2 cell, out vec4 a, out vec4 b) {
    uvec4 h = starHash(cell);
    a = vec4(h >> 16u) * (1.0 / 65536.0);
    b = vec4(h & 0xffffu) * (1.0 / 65536.0);
}

// Starlight along the world-space direction `w`; `pixel` is a pixel's angular size.
vec3 starLight(vec3 w, float pixel) {
    float latitude = asin(clamp(w.y, -1.0, 1.0));
    float longitude = atan(w.z, w.x) + kPi;
    float band = floor(latitude / kStarCell);
    float cells = max(floor(2.0 * kPi * cos((band + 0.5) * kStarCell) / kStarCell), 1.0);
    float cell = min(floor(longitude / (2.0 * kPi) * cells), cells - 1.0);
    vec4 r, s;
    starRandom(uvec2(ivec2(int(band) + 4096, int(cell))), r, s);
    if (r.x > kStarShare)
        return vec3(0.0);
    // The star keeps clear of the cell's border so its dot is not cut off.
    float starLatitude = (band + 0.25 + 0.5 * r.y) * kStarCell;
    float starLongitude = (cell + 0.25 + 0.5 * r.z) / cells * 2.0 * kPi;
    vec2 offset = vec2((longitude - starLongitude) * cos(latitude), latitude - starLatitude) / pixel;
    float spot = exp(-1.6 * dot(offset, offset));
    // Many faint stars, a few bright ones.
    float r2 = r.w * r.w, r4 = r2 * r2;
    float brightness = kStarLight * (0.1 + 0.9 * r4 * r4);
    float twinkle = 0.8 + 0.2 * sin(time * (2.0 + 3.0 * s.x) + 6.2831853 * s.y);
    vec3 tint = mix(vec3(0.75, 0.85, 1.0), vec3(1.0, 0.88, 0.72), s.z);
    return tint * (brightness * twinkle * spot);
}
