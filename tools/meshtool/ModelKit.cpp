#include "ModelKit.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace modelkit {

uint32_t Random::next() {
    state_ += 0x9e3779b97f4a7c15ull;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return uint32_t((z ^ (z >> 31)) >> 32);
}

float Random::unit() {
    return float(next() >> 8) * (1.0f / 16777216.0f);
}

int Random::between(int lo, int hi) {
    return lo + int(next() % uint32_t(hi - lo + 1));
}

namespace {

float lattice(int x, int y, int z, uint32_t seed) {
    uint32_t h = seed * 0x27d4eb2du ^ uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^
                 uint32_t(z) * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return float(h >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

float fade(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}

Vec3 newellNormal(const std::vector<Vec3>& c) {
    Vec3 n;
    for (size_t i = 0; i < c.size(); ++i) {
        const Vec3& a = c[i];
        const Vec3& b = c[(i + 1) % c.size()];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n.normalized();
}

Vec3 perpendicularTo(const Vec3& axis) {
    Vec3 helper = std::fabs(axis.y) < 0.9f ? Vec3(0, 1, 0) : Vec3(1, 0, 0);
    return (helper - axis * axis.dot(helper)).normalized();
}

void pushVertex(Geometry& g, const Vec3& p, const Vec3& n, const Vec2& uv) {
    g.positions.push_back(p);
    g.normals.push_back(n);
    g.texCoords.push_back(uv);
}

} // namespace

float noise(const Vec3& p, uint32_t seed) {
    float fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    int x = int(fx), y = int(fy), z = int(fz);
    float tx = fade(p.x - fx), ty = fade(p.y - fy), tz = fade(p.z - fz);
    float c[2][2];
    for (int dy = 0; dy < 2; ++dy)
        for (int dz = 0; dz < 2; ++dz)
            c[dy][dz] = mix(lattice(x, y + dy, z + dz, seed), lattice(x + 1, y + dy, z + dz, seed), tx);
    return mix(mix(c[0][0], c[1][0], ty), mix(c[0][1], c[1][1], ty), tz);
}

float fractalNoise(const Vec3& p, uint32_t seed, int octaves) {
    float sum = 0, weight = 1, total = 0, scale = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += noise(p * scale, seed + uint32_t(o) * 101u) * weight;
        total += weight;
        weight *= 0.5f;
        scale *= 2.03f;
    }
    return sum / total;
}

Frame Frame::at(const Vec3& origin) {
    Frame f;
    f.origin = origin;
    return f;
}

Frame Frame::turned(const Vec3& origin, float angle) {
    return at(origin).yawed(angle);
}

Frame Frame::along(const Vec3& origin, const Vec3& axis, const Vec3& facing) {
    Frame f;
    f.origin = origin;
    f.y = axis.normalized();
    f.z = (facing - f.y * f.y.dot(facing)).normalized();
    if (f.z == Vec3())
        f.z = perpendicularTo(f.y);
    f.x = f.y.cross(f.z);
    return f;
}

Frame Frame::pitched(float angle) const {
    float c = std::cos(angle), s = std::sin(angle);
    return {origin, x, y * c + z * s, z * c - y * s};
}

Frame Frame::yawed(float angle) const {
    float c = std::cos(angle), s = std::sin(angle);
    return {origin, x * c - z * s, y, z * c + x * s};
}

Frame Frame::rolled(float angle) const {
    float c = std::cos(angle), s = std::sin(angle);
    return {origin, x * c + y * s, y * c - x * s, z};
}

Vec3 rotateY(const Vec3& v, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return {v.x * c + v.z * s, v.y, v.z * c - v.x * s};
}

Vec3 lerp(const Vec3& a, const Vec3& b, float t) {
    return a + (b - a) * t;
}

void addPolygon(Geometry& g, const std::vector<Vec3>& corners, const Vec3& uAxis) {
    Vec3 n = newellNormal(corners);
    Vec3 u = (uAxis - n * n.dot(uAxis)).normalized();
    if (u == Vec3())
        u = std::fabs(n.y) < 0.999f ? Vec3(0, 1, 0).cross(n).normalized() : Vec3(1, 0, 0);
    Vec3 v = n.cross(u);
    uint32_t base = uint32_t(g.positions.size());
    for (const Vec3& p : corners)
        pushVertex(g, p, n, {p.dot(u) * uvPerMetre, p.dot(v) * uvPerMetre});
    for (uint32_t k = 1; k + 1 < corners.size(); ++k)
        g.indices.insert(g.indices.end(), {base, base + k, base + k + 1});
}

void addQuad(Geometry& g, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& uAxis) {
    addPolygon(g, {a, b, c, d}, uAxis);
}

void addBox(Geometry& g, const Frame& f) {
    const Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int a = 0; a < 3; ++a)
        for (float s : {1.0f, -1.0f}) {
            // (b, c) span the face with b × c along the outward normal.
            const Vec3& b = axes[(a + (s > 0 ? 1 : 2)) % 3];
            const Vec3& c = axes[(a + (s > 0 ? 2 : 1)) % 3];
            Vec3 centre = axes[a] * s;
            Vec3 wb = f.direction(b), wc = f.direction(c);
            addQuad(g, f.point(centre - b - c), f.point(centre + b - c), f.point(centre + b + c),
                    f.point(centre - b + c), wb.length() < wc.length() ? wb : wc);
        }
}

void addBeam(Geometry& g, const Vec3& from, const Vec3& to, const Vec3& side, float width, float depth) {
    Frame f;
    f.origin = (from + to) * 0.5f;
    f.y = (to - from) * 0.5f;
    Vec3 axis = f.y.normalized();
    Vec3 x = (side - axis * axis.dot(side)).normalized();
    f.x = x * (width * 0.5f);
    f.z = x.cross(axis) * (depth * 0.5f);
    addBox(g, f);
}

void addPrism(Geometry& g, const std::vector<Vec3>& corners, const Vec3& offset) {
    // Either winding of the base is accepted: the sides face out when the base faces `offset`.
    std::vector<Vec3> base = corners;
    if (newellNormal(base).dot(offset) < 0)
        std::reverse(base.begin(), base.end());
    std::vector<Vec3> bottom(base.rbegin(), base.rend());
    std::vector<Vec3> top;
    for (const Vec3& p : base)
        top.push_back(p + offset);
    addPolygon(g, bottom);
    addPolygon(g, top);
    for (size_t i = 0; i < base.size(); ++i) {
        const Vec3& a = base[i];
        const Vec3& b = base[(i + 1) % base.size()];
        addQuad(g, a, b, b + offset, a + offset);
    }
}

void addFrustum(Geometry& g, const Vec3& base, const Vec3& top, float r0, float r1, int sides, float phase,
                bool flat, bool capBottom, bool capTop) {
    Vec3 axis = (top - base).normalized();
    // Flat sides count their corners from the frame's z axis (+Z, or +Y for an axis along Z); smooth
    // ones match addTube's frame so the caps meet its rings exactly.
    Frame f = Frame::along(base, axis, std::fabs(axis.z) < 0.9f ? Vec3(0, 0, 1) : Vec3(0, 1, 0));
    Vec3 n = flat ? f.z : perpendicularTo(axis);
    Vec3 b = axis.cross(n);
    if (!flat)
        phase = 0;
    std::vector<Vec3> low, high;
    for (int k = 0; k < sides; ++k) {
        float a = phase + 2 * pi * float(k) / float(sides);
        Vec3 d = n * std::cos(a) + b * std::sin(a);
        low.push_back(base + d * r0);
        high.push_back(top + d * r1);
    }
    if (flat) {
        for (int k = 0; k < sides; ++k) {
            int n = (k + 1) % sides;
            addQuad(g, low[size_t(k)], low[size_t(n)], high[size_t(n)], high[size_t(k)]);
        }
    } else {
        float circumference = pi * (r0 + r1);
        addTube(g, {{base, r0}, {top, r1}}, sides, std::max(1.0f, std::round(circumference * uvPerMetre)));
    }
    if (capBottom)
        addPolygon(g, std::vector<Vec3>(low.rbegin(), low.rend()));
    if (capTop)
        addPolygon(g, high);
}

void addTube(Geometry& g, const std::vector<Ring>& rings, int sides, float uTurn, int lobes,
             bool closeStart) {
    size_t n = rings.size();
    std::vector<Vec3> t(n), nrm(n), bin(n);
    std::vector<float> slope(n), v(n);
    for (size_t i = 0; i < n; ++i) {
        size_t lo = i ? i - 1 : 0, hi = i + 1 < n ? i + 1 : n - 1;
        Vec3 span = rings[hi].centre - rings[lo].centre;
        t[i] = span.normalized();
        slope[i] = (rings[hi].radius - rings[lo].radius) / std::max(span.length(), 1e-6f);
        // Carry the previous frame along the path so the sides do not twist.
        Vec3 prev = i ? nrm[i - 1] : perpendicularTo(t[0]);
        nrm[i] = (prev - t[i] * t[i].dot(prev)).normalized();
        if (nrm[i] == Vec3())
            nrm[i] = perpendicularTo(t[i]);
        bin[i] = t[i].cross(nrm[i]);
        // v follows the surface, not the axis, so a dome's shallow top is not stretched.
        if (i) {
            Vec3 here = rings[i].centre + nrm[i] * rings[i].radius;
            Vec3 before = rings[i - 1].centre + nrm[i - 1] * rings[i - 1].radius;
            v[i] = v[i - 1] + (here - before).length() * uvPerMetre;
        }
    }
    uint32_t base = uint32_t(g.positions.size());
    uint32_t row = uint32_t(sides + 1);
    for (size_t i = 0; i < n; ++i)
        for (int j = 0; j <= sides; ++j) {
            float a = 2 * pi * float(j) / float(sides);
            Vec3 d = nrm[i] * std::cos(a) + bin[i] * std::sin(a);
            float bump = lobes ? 0.5f + 0.5f * std::cos(float(lobes) * a) : 0;
            float r = rings[i].radius * (1 + rings[i].flare * bump * bump);
            pushVertex(g, rings[i].centre + d * r, (d - t[i] * slope[i]).normalized(),
                       {float(j) / float(sides) * uTurn, v[i]});
        }
    for (size_t i = 0; i + 1 < n; ++i)
        for (uint32_t j = 0; j < uint32_t(sides); ++j) {
            uint32_t a = base + uint32_t(i) * row + j, b = a + 1, c = b + row, d = a + row;
            if (rings[i].radius > 0)
                g.indices.insert(g.indices.end(), {a, b, c});
            if (rings[i + 1].radius > 0)
                g.indices.insert(g.indices.end(), {a, c, d});
        }
    if (closeStart) {
        uint32_t centre = uint32_t(g.positions.size());
        pushVertex(g, rings[0].centre, -t[0], {0, 0});
        for (int j = 0; j <= sides; ++j) {
            uint32_t k = base + uint32_t(j);
            pushVertex(g, g.positions[k], -t[0],
                       {g.positions[k].x * uvPerMetre, g.positions[k].z * uvPerMetre});
        }
        for (uint32_t j = 0; j < uint32_t(sides); ++j)
            g.indices.insert(g.indices.end(), {centre, centre + 2 + j, centre + 1 + j});
    }
}

void addBlob(Geometry& g, const Vec3& centre, const Vec3& radii, int frequency, float roughness, float detail,
             uint32_t seed) {
    static const float t = 1.61803399f;
    static const Vec3 corners[12] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                     {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                     {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    static const int faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                     {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                     {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                     {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    size_t firstIndex = g.indices.size();
    // Points on shared edges are computed once per face; welding them by rounded direction keeps
    // the sphere one closed surface.
    std::map<std::tuple<long, long, long>, uint32_t> welded;
    auto vertexFor = [&](const Vec3& raw) {
        Vec3 u = raw.normalized();
        auto key = std::make_tuple(std::lround(u.x * 1e5f), std::lround(u.y * 1e5f), std::lround(u.z * 1e5f));
        auto found = welded.find(key);
        if (found != welded.end())
            return found->second;
        float s = 1 + roughness * fractalNoise(u * detail + Vec3(17.3f, 5.1f, 9.7f), seed, 3);
        Vec3 p = centre + Vec3(u.x * radii.x, u.y * radii.y, u.z * radii.z) * s;
        uint32_t index = uint32_t(g.positions.size());
        pushVertex(g, p, u, {(p.x * 0.8f + p.z * 0.6f) * uvPerMetre, p.y * uvPerMetre});
        welded.emplace(key, index);
        return index;
    };
    int f = std::max(1, frequency);
    for (const auto& face : faces) {
        Vec3 a = corners[face[0]], b = corners[face[1]], c = corners[face[2]];
        auto at = [&](int i, int j) {
            return vertexFor(a + (b - a) * (float(i) / f) + (c - a) * (float(j) / f));
        };
        for (int i = 0; i < f; ++i)
            for (int j = 0; i + j < f; ++j) {
                g.indices.insert(g.indices.end(), {at(i, j), at(i + 1, j), at(i, j + 1)});
                if (i + j + 1 < f)
                    g.indices.insert(g.indices.end(), {at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
            }
    }
    smoothNormals(g, firstIndex);
}

void addStrip(Geometry& g, const std::vector<Vec3>& left, const std::vector<Vec3>& right,
              const std::vector<float>& v, bool twoFaced) {
    size_t n = left.size();
    uint32_t front = uint32_t(g.positions.size());
    Vec3 last = Vec3(0, 0, 1);
    std::vector<Vec3> normals(n);
    for (size_t i = 0; i < n; ++i) {
        Vec3 along = (left[std::min(i + 1, n - 1)] + right[std::min(i + 1, n - 1)]) -
                     (left[i ? i - 1 : 0] + right[i ? i - 1 : 0]);
        Vec3 nrm = (right[i] - left[i]).cross(along).normalized();
        normals[i] = last = nrm == Vec3() ? last : nrm;
    }
    // A pointed start takes the normal of the next section.
    if (n > 1 && left[0] == right[0])
        normals[0] = normals[1];
    for (int side = 0; side < (twoFaced ? 2 : 1); ++side)
        for (size_t i = 0; i < n; ++i) {
            Vec3 nrm = side ? -normals[i] : normals[i];
            pushVertex(g, left[i], nrm, {0, v[i]});
            pushVertex(g, right[i], nrm, {1, v[i]});
        }
    uint32_t back = front + uint32_t(n) * 2;
    for (uint32_t i = 0; i + 1 < n; ++i) {
        uint32_t l0 = 2 * i, r0 = l0 + 1, l1 = l0 + 2, r1 = l0 + 3;
        bool pointedHere = left[i] == right[i], pointedNext = left[i + 1] == right[i + 1];
        std::vector<uint32_t> tris;
        if (!pointedHere)
            tris.insert(tris.end(), {l0, r0, r1});
        if (!pointedNext)
            tris.insert(tris.end(), {l0, r1, l1});
        for (size_t k = 0; k < tris.size(); k += 3) {
            g.indices.insert(g.indices.end(), {front + tris[k], front + tris[k + 1], front + tris[k + 2]});
            if (twoFaced)
                g.indices.insert(g.indices.end(), {back + tris[k], back + tris[k + 2], back + tris[k + 1]});
        }
    }
}

void addSheet(Geometry& g, const std::vector<Vec3>& grid, int columns, float thickness) {
    int rows = int(grid.size()) / columns;
    auto at = [&](int r, int c) { return grid[size_t(r * columns + c)]; };
    std::vector<Vec3> normal(grid.size());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            Vec3 du = at(r, std::min(c + 1, columns - 1)) - at(r, std::max(c - 1, 0));
            Vec3 dv = at(std::min(r + 1, rows - 1), c) - at(std::max(r - 1, 0), c);
            normal[size_t(r * columns + c)] = du.cross(dv).normalized();
        }
    auto face = [&](int r, int c, float side) {
        size_t k = size_t(r * columns + c);
        return grid[k] + normal[k] * (side * thickness * 0.5f);
    };
    float width = (at(0, columns - 1) - at(0, 0)).length(), length = (at(rows - 1, 0) - at(0, 0)).length();
    for (int side = 0; side < 2; ++side) {
        float sign = side ? -1.0f : 1.0f;
        uint32_t base = uint32_t(g.positions.size());
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                Vec3 p = face(r, c, sign);
                pushVertex(g, p, normal[size_t(r * columns + c)] * sign,
                           {float(c) / float(columns - 1) * width * uvPerMetre,
                            float(r) / float(rows - 1) * length * uvPerMetre});
            }
        for (int r = 0; r + 1 < rows; ++r)
            for (int c = 0; c + 1 < columns; ++c) {
                uint32_t a = base + uint32_t(r * columns + c), b = a + 1, d = a + uint32_t(columns),
                         e = d + 1;
                if (side)
                    g.indices.insert(g.indices.end(), {a, e, b, a, d, e});
                else
                    g.indices.insert(g.indices.end(), {a, b, e, a, e, d});
            }
    }
    // The rim: walk the border counter-clockwise and join front to back.
    std::vector<std::pair<int, int>> border;
    for (int c = 0; c + 1 < columns; ++c)
        border.push_back({0, c});
    for (int r = 0; r + 1 < rows; ++r)
        border.push_back({r, columns - 1});
    for (int c = columns - 1; c > 0; --c)
        border.push_back({rows - 1, c});
    for (int r = rows - 1; r > 0; --r)
        border.push_back({r, 0});
    for (size_t i = 0; i < border.size(); ++i) {
        auto p = border[i], q = border[(i + 1) % border.size()];
        addQuad(g, face(p.first, p.second, -1), face(q.first, q.second, -1), face(q.first, q.second, 1),
                face(p.first, p.second, 1));
    }
}

void smoothNormals(Geometry& g, size_t firstIndex) {
    g.normals.resize(g.positions.size());
    std::vector<Vec3> sum(g.positions.size());
    std::vector<bool> touched(g.positions.size());
    for (size_t i = firstIndex; i + 2 < g.indices.size(); i += 3) {
        uint32_t a = g.indices[i], b = g.indices[i + 1], c = g.indices[i + 2];
        Vec3 face = (g.positions[b] - g.positions[a]).cross(g.positions[c] - g.positions[a]);
        for (uint32_t k : {a, b, c}) {
            sum[k] += face;
            touched[k] = true;
        }
    }
    for (size_t k = 0; k < sum.size(); ++k)
        if (touched[k])
            g.normals[k] = sum[k].normalized();
}

void append(Geometry& dst, const Geometry& src, const Frame& f) {
    uint32_t base = uint32_t(dst.positions.size());
    for (size_t i = 0; i < src.positions.size(); ++i)
        pushVertex(dst, f.point(src.positions[i]), f.direction(src.normals[i]).normalized(),
                   src.texCoords[i]);
    for (uint32_t i : src.indices)
        dst.indices.push_back(base + i);
}

void mergeBins(const std::vector<Geometry>& bins, Geometry& out) {
    for (const Geometry& bin : bins) {
        out.startGroup();
        append(out, bin, Frame());
    }
}

} // namespace modelkit
