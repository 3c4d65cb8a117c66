// meshtool's "bird" source: a stylised swallow for the film's flock. Metres; the body lies along +Z
// (the beak forward), Y is up and the wings reach along ±X (+X is the bird's left).
//
// Bones, in the mesh's order: "body" at the origin, "wing.L" at the left shoulder (0.05, 0.015, 0)
// and "wing.R" at the right one (−0.05, 0.015, 0); a scene's skeleton puts its bones at those rest
// positions, and a wing flaps by rotating its bone about Z (the body's long axis). Body and tail
// follow the body bone only; each wing's vertices blend from the body to the wing bone between 0.03 m
// and 0.12 m out from the centre line and belong to the wing alone beyond. Every triangle is flat
// shaded (its own three vertices) and closed or doubled so that back-face culling never opens a
// hole. Bin 0 holds the body and tail, bin 1 the wings.
#include "Geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kBody = 0, kWingLeft = 1, kWingRight = 2;
constexpr float kBlendStart = 0.03f, kBlendEnd = 0.12f;

std::vector<SkinInfluence> skinAt(const Vec3& p, uint32_t wing) {
    if (wing == kBody)
        return {{kBody, 1.0f}};
    const float out = std::fabs(p.x);
    if (out <= kBlendStart)
        return {{kBody, 1.0f}};
    if (out >= kBlendEnd)
        return {{wing, 1.0f}};
    const float t = (out - kBlendStart) / (kBlendEnd - kBlendStart), w = t * t * (3 - 2 * t);
    return {{kBody, 1.0f - w}, {wing, w}};
}

struct Corner {
    Vec3 p;
    Vec2 uv;
};

// Appends one flat triangle wound counter-clockwise as seen from `outside` (a direction the face
// should look towards), skinned to the body or to `wing`. Slivers with no area are dropped.
void triangle(Geometry& g, Corner a, Corner b, Corner c, const Vec3& outside, uint32_t wing) {
    Vec3 n = (b.p - a.p).cross(c.p - a.p);
    if (n.length() < 1e-9f)
        return;
    if (n.dot(outside) < 0) {
        std::swap(b, c);
        n = -n;
    }
    n = n.normalized();
    for (const Corner& k : {a, b, c}) {
        g.indices.push_back(uint32_t(g.positions.size()));
        g.positions.push_back(k.p);
        g.normals.push_back(n);
        g.texCoords.push_back(k.uv);
        g.skin.push_back(skinAt(k.p, wing));
    }
}

// A cross-section of the body: an ellipse of half-widths rx, ry around (0, cy) at z.
struct Ring {
    float z, cy, rx, ry;
};
constexpr int kRingSides = 6;
constexpr Ring kRings[] = {
    {0.17f, 0.012f, 0.020f, 0.022f}, {0.12f, 0.006f, 0.030f, 0.032f},  {0.05f, 0.0f, 0.042f, 0.042f},
    {-0.03f, 0.0f, 0.036f, 0.035f},  {-0.10f, 0.005f, 0.020f, 0.018f}, {-0.135f, 0.008f, 0.011f, 0.007f},
};
constexpr Vec3 kBeak = {0, 0.006f, 0.225f};
constexpr Vec3 kRump = {0, 0.008f, -0.15f};

Corner ringCorner(const Ring& r, int side) {
    float a = float(side) / kRingSides * 6.2831853f;
    float v = (0.225f - r.z) / 0.375f;
    return {{r.rx * std::sin(a), r.cy + r.ry * std::cos(a), r.z}, {float(side) / kRingSides, v}};
}

void addBody(Geometry& g) {
    constexpr int rings = int(sizeof(kRings) / sizeof(kRings[0]));
    for (int s = 0; s < kRingSides; ++s) {
        // Outward from the ring's centre line, so each face is wound to look away from the body.
        auto out = [](const Corner& a, const Corner& b, const Ring& r) {
            Vec3 mid = (a.p + b.p) * 0.5f;
            return Vec3(mid.x, mid.y - r.cy, 0);
        };
        const Ring& head = kRings[0];
        Corner h0 = ringCorner(head, s), h1 = ringCorner(head, s + 1);
        triangle(g, {kBeak, {0.5f, 0}}, h0, h1, out(h0, h1, head) + Vec3(0, 0, 0.5f), kBody);
        for (int r = 0; r + 1 < rings; ++r) {
            Corner a = ringCorner(kRings[r], s), b = ringCorner(kRings[r], s + 1);
            Corner c = ringCorner(kRings[r + 1], s), d = ringCorner(kRings[r + 1], s + 1);
            Vec3 o = out(a, d, kRings[r]);
            triangle(g, a, b, d, o, kBody);
            triangle(g, a, d, c, o, kBody);
        }
        const Ring& tail = kRings[rings - 1];
        Corner t0 = ringCorner(tail, s), t1 = ringCorner(tail, s + 1);
        triangle(g, {kRump, {0.5f, 1}}, t0, t1, out(t0, t1, tail) - Vec3(0, 0, 0.5f), kBody);
    }
}

// A forked tail fan, doubled (top and underside) so it shows from both sides.
void addTail(Geometry& g) {
    const Vec3 rootL = {0.014f, 0.008f, -0.12f}, rootR = {-0.014f, 0.008f, -0.12f};
    const Vec3 tipL = {0.06f, 0.0f, -0.285f}, tipR = {-0.06f, 0.0f, -0.285f}, notch = {0, 0.004f, -0.2f};
    auto uv = [](const Vec3& p) { return Vec2(p.x / 0.12f + 0.5f, (-0.12f - p.z) / 0.165f); };
    const Vec3 fan[3][3] = {{rootL, rootR, notch}, {rootL, notch, tipL}, {rootR, tipR, notch}};
    for (float side : {1.0f, -1.0f}) {
        const Vec3 lift = {0, side * 0.0015f, 0};
        for (const auto& t : fan)
            triangle(g, {t[0] + lift, uv(t[0])}, {t[1] + lift, uv(t[1])}, {t[2] + lift, uv(t[2])},
                     {0, side, 0}, kBody);
    }
}

// One wing's span stations from the root (inside the body) to the pointed, swept-back tip: x, the
// leading and trailing edges' z, the chord line's height and the half thickness of the upper camber.
struct Station {
    float x, leading, trailing, y, thickness;
};
constexpr Station kStations[] = {
    {0.03f, 0.07f, -0.05f, 0.015f, 0.012f},  {0.075f, 0.075f, -0.06f, 0.018f, 0.011f},
    {0.12f, 0.075f, -0.07f, 0.02f, 0.01f},   {0.22f, 0.06f, -0.085f, 0.025f, 0.007f},
    {0.33f, 0.02f, -0.095f, 0.022f, 0.004f}, {0.45f, -0.1f, -0.1f, 0.018f, 0.0f},
};

void addWing(Geometry& g, float side, uint32_t bone) {
    constexpr int stations = int(sizeof(kStations) / sizeof(kStations[0]));
    // Across the chord: leading edge, the camber's crest (a third back), trailing edge; the upper
    // surface bulges by the thickness, the lower one by a third of it, so the wing has an inside.
    auto corner = [side](const Station& s, int k, float up) {
        float z = k == 0 ? s.leading : k == 2 ? s.trailing : s.leading + (s.trailing - s.leading) / 3;
        float y = s.y + (k == 1 ? up * s.thickness : 0.0f);
        return Corner{{side * s.x, y, z}, {s.x / 0.45f, (0.08f - z) / 0.19f}};
    };
    for (int i = 0; i + 1 < stations; ++i)
        for (float up : {1.0f, -1.0f / 3}) {
            const Vec3 outside = {0, up > 0 ? 1.0f : -1.0f, 0};
            for (int k = 0; k < 2; ++k) {
                Corner a = corner(kStations[i], k, up), b = corner(kStations[i], k + 1, up);
                Corner c = corner(kStations[i + 1], k, up), d = corner(kStations[i + 1], k + 1, up);
                triangle(g, a, b, d, outside, bone);
                triangle(g, a, d, c, outside, bone);
            }
        }
}

} // namespace

void makeBird(Geometry& g) {
    g.boneNames = {"body", "wing.L", "wing.R"};
    g.startGroup();
    addBody(g);
    addTail(g);
    g.startGroup();
    addWing(g, 1.0f, kWingLeft);
    addWing(g, -1.0f, kWingRight);
}
