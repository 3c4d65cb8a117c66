// The grown models: trees, rocks, grass, flowers and the meadow that scatters the last two.
#include "ModelKit.h"
#include "Models.h"

#include <algorithm>
#include <cmath>

using namespace modelkit;

namespace {

constexpr int treeBudget = 4000;
constexpr int leafCards = 560;

// Where a tube's path is at height y, between its rings (trunks only climb).
Vec3 pathAt(const std::vector<Ring>& rings, float y) {
    for (size_t i = 1; i < rings.size(); ++i)
        if (rings[i].centre.y >= y) {
            const Vec3 &a = rings[i - 1].centre, &b = rings[i].centre;
            return lerp(a, b, (y - a.y) / std::max(b.y - a.y, 1e-4f));
        }
    return rings.back().centre;
}

size_t triangles(const Geometry& g) {
    return g.indices.size() / 3;
}

// `count` leaf cards through the ellipsoid of `radii` about `centre`, most of them in its outer
// half so the crown keeps its outline and shows gaps within. Each card is a square of the leaf
// picture (u across, v from the twig's foot to its tip) facing out of the crown with some
// scatter, its twig pointing outwards and up. Its normal leans from the card's own facing towards
// the crown's surface normal there, so a crown of flat cards shades like a rounded mass. Cards
// have one face: the crown's material draws both.
void addLeafCards(Geometry& g, Random& rng, const Vec3& centre, const Vec3& radii, int count) {
    for (int i = 0; i < count; ++i) {
        float z = rng.range(-1, 1), a = rng.range(0, 2 * pi), ring = std::sqrt(1 - z * z);
        Vec3 dir = {ring * std::cos(a), z, ring * std::sin(a)};
        float reach = 0.45f + 0.55f * std::sqrt(rng.unit());
        Vec3 at = centre + Vec3(dir.x * radii.x, dir.y * radii.y, dir.z * radii.z) * reach;
        Vec3 out = Vec3(dir.x / radii.x, dir.y / radii.y, dir.z / radii.z).normalized();
        Vec3 jitter = {rng.range(-1, 1), rng.range(-1, 1), rng.range(-1, 1)};
        Vec3 facing = (out + jitter * 0.7f).normalized();
        if (facing.dot(out) < 0.2f)
            facing = (facing + out).normalized();
        // The twig runs along the card, outwards and upwards as far as the card's plane allows.
        Vec3 grow = out + Vec3(0, 0.8f, 0) + Vec3(rng.range(-0.6f, 0.6f), 0, rng.range(-0.6f, 0.6f));
        Vec3 up = grow - facing * grow.dot(facing);
        if (up.length() < 1e-3f)
            up = facing.cross(Vec3(1, 0, 0));
        up = up.normalized();
        Vec3 side = up.cross(facing);
        float size = rng.range(0.85f, 1.25f);
        Vec3 foot = at - up * (size * 0.45f), tip = at + up * (size * 0.55f), half = side * (size * 0.5f);
        Vec3 normal = (out * 1.5f + facing).normalized();
        uint32_t first = uint32_t(g.positions.size());
        const Vec3 corners[4] = {foot - half, foot + half, tip + half, tip - half};
        const Vec2 uvs[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int k = 0; k < 4; ++k) {
            g.positions.push_back(corners[k]);
            g.normals.push_back(normal);
            g.texCoords.push_back(uvs[k]);
        }
        for (uint32_t k : {0u, 1u, 2u, 0u, 2u, 3u})
            g.indices.push_back(first + k);
    }
}

// One blade of grass: a tapering strip that leans out and arches over, `segments` long; v is the
// height above the ground in metres, so a shader can sway it by height. Without `twoFaced` the
// blade has its front face only, for the meadow's material that draws both faces.
void addBlade(Geometry& g, Random& rng, const Vec3& root, float azimuth, int segments, bool twoFaced) {
    float height = rng.range(0.4f, 0.7f);
    float reach = height * rng.range(0.15f, 0.55f);
    float droop = rng.range(0.0f, 0.45f);
    float width = rng.range(0.022f, 0.036f);
    Vec3 out = {std::sin(azimuth), 0, std::cos(azimuth)};
    // Blades face roughly along their lean, turned a little so a clump is not a fan of planes.
    Vec3 across = rotateY(Vec3(0, 1, 0).cross(out), rng.range(-0.5f, 0.5f));
    std::vector<Vec3> left, right;
    std::vector<float> v;
    for (int i = 0; i <= segments; ++i) {
        float t = float(i) / float(segments);
        float y = height * (t * (1 + droop) - droop * t * t);
        Vec3 c = root + out * (reach * t * t) + Vec3(0, y, 0);
        float w = width * 0.5f * std::pow(1 - t, 0.8f);
        left.push_back(c - across * w);
        right.push_back(c + across * w);
        v.push_back(y);
    }
    addStrip(g, left, right, v, twoFaced);
}

void growGrass(Geometry& g, uint32_t seed, int segments, bool twoFaced) {
    Random rng(seed * 747796405u + 2891336453u);
    int blades = rng.between(7, 12);
    for (int b = 0; b < blades; ++b) {
        float a = rng.range(0, 2 * pi);
        float r = rng.range(0, 0.06f);
        Vec3 root = {std::sin(a) * r, 0, std::cos(a) * r};
        addBlade(g, rng, root, a + rng.range(-0.6f, 0.6f), segments, twoFaced);
    }
}

// A leaf from the stem: narrow at the stem, widest a third along, pointed at the tip.
void addLeaf(Geometry& g, Random& rng, const Vec3& base, float azimuth, bool twoFaced) {
    float length = rng.range(0.12f, 0.19f), width = rng.range(0.024f, 0.034f);
    Vec3 out = {std::sin(azimuth), 0, std::cos(azimuth)};
    Vec3 across = Vec3(0, 1, 0).cross(out);
    const float along[4] = {0, 0.35f, 0.7f, 1.0f}, wide[4] = {0.15f, 1.0f, 0.7f, 0};
    std::vector<Vec3> left, right;
    std::vector<float> v;
    for (int i = 0; i < 4; ++i) {
        float t = along[i];
        Vec3 c = base + out * (length * t) + Vec3(0, length * (0.6f * t - 0.55f * t * t), 0);
        left.push_back(c - across * (width * 0.5f * wide[i]));
        right.push_back(c + across * (width * 0.5f * wide[i]));
        v.push_back(c.y);
    }
    addStrip(g, left, right, v, twoFaced);
}

void growFlower(Geometry& green, Geometry& petals, Geometry& heart, uint32_t seed, bool twoFaced) {
    Random rng(seed * 2246822519u + 3266489917u);
    float height = rng.range(0.3f, 0.46f);
    Vec3 lean = {rng.range(-0.06f, 0.06f), 0, rng.range(-0.06f, 0.06f)};
    // The stem rises straight from the ground (its foot ring level at y = 0) and bends into its
    // lean higher up.
    std::vector<Ring> stem;
    for (int i = 0; i <= 4; ++i) {
        float t = float(i) / 4.0f, bend = std::max(0.0f, t - 0.25f) / 0.75f;
        stem.push_back({lean * (bend * bend) + Vec3(0, height * t, 0), 0.0045f - 0.0012f * t});
    }
    addTube(green, stem, 5, 1);
    float turn = rng.range(0, 2 * pi);
    addLeaf(green, rng, {0, rng.range(0.04f, 0.08f), 0}, turn, twoFaced);
    addLeaf(green, rng, {0, rng.range(0.09f, 0.15f), 0}, turn + pi + rng.range(-0.5f, 0.5f), twoFaced);

    // The head faces along the stem's end; petals fan out from its rim, cupped a little upwards,
    // each with texture coordinates 0..1 over the petal (u across, v from the heart outwards).
    Vec3 top = stem.back().centre;
    Vec3 axis = (stem[4].centre - stem[3].centre).normalized();
    Frame head = Frame::along(top, axis, Vec3(0, 0, 1));
    int count = rng.between(5, 6);
    float length = rng.range(0.045f, 0.065f), width = length * rng.range(0.5f, 0.7f);
    float spin = rng.range(0, 2 * pi);
    for (int p = 0; p < count; ++p) {
        float a = spin + 2 * pi * float(p) / float(count);
        Vec3 out = head.z * std::cos(a) + head.x * std::sin(a);
        Vec3 side = head.y.cross(out);
        const float along[4] = {0, 0.35f, 0.75f, 1.0f}, wide[4] = {0.25f, 1.0f, 0.8f, 0};
        std::vector<Vec3> left, right;
        std::vector<float> v;
        for (int i = 0; i < 4; ++i) {
            float t = along[i];
            Vec3 c = top + out * (0.008f + length * t) + head.y * (length * 0.35f * t * t);
            left.push_back(c - side * (width * 0.5f * wide[i]));
            right.push_back(c + side * (width * 0.5f * wide[i]));
            v.push_back(t);
        }
        addStrip(petals, left, right, v, twoFaced);
    }
    float r = rng.range(0.013f, 0.018f);
    addBlob(heart, top + head.y * (r * 0.3f), {r, r * 0.7f, r}, 2, 0.12f, 2.0f, rng.fork());
}

} // namespace

void buildTree(std::vector<Geometry>& bins, const ModelOptions& o) {
    Geometry& bark = bins[TreeBark];
    Geometry& canopy = bins[TreeCanopy];
    Random rng(o.seed * 1103515245u + 12345u);
    float height = rng.range(7.6f, 10.4f);
    float fork = rng.range(1.9f, 2.7f);
    float girth = rng.range(0.3f, 0.4f);
    float crownTop = height - 2.0f;

    // The trunk carries on as a leader into the crown; it flares into roots at the foot.
    std::vector<Ring> trunk;
    Vec3 drift = {rng.range(-0.3f, 0.3f), 0, rng.range(-0.3f, 0.3f)};
    const float heights[] = {
        -0.8f, 0.0f, 0.3f, 0.8f, 0.5f * fork, fork, fork + 0.6f, 0.5f * (fork + crownTop), crownTop};
    const float radii[] = {1.2f, 1.12f, 1.0f, 0.93f, 0.88f, 0.8f, 0.62f, 0.38f, 0.12f};
    const float flares[] = {0.7f, 0.6f, 0.32f, 0.08f, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < std::size(heights); ++i) {
        float y = heights[i];
        float bend = std::max(0.0f, y) / crownTop;
        trunk.push_back({Vec3(0, y, 0) + drift * (bend * bend), girth * radii[i], flares[i]});
    }
    addTube(bark, trunk, 10, 2, 5);

    // Branches leave the trunk from the fork up, spread evenly round with some jitter, and curve
    // upwards; each ends in a big cluster of leaves, and a smaller one part way along fills the
    // crown between the ends (5..12 clusters in all, with the leader's).
    int branches = rng.between(3, 6);
    struct Cluster {
        Vec3 centre;
        float radius;
    };
    std::vector<Cluster> clusters;
    float turn0 = rng.range(0, 2 * pi);
    float spread = height * rng.range(0.28f, 0.34f);
    for (int b = 0; b < branches; ++b) {
        float azimuth = turn0 + 2 * pi * (float(b) + rng.range(-0.25f, 0.25f)) / float(branches);
        float y0 = fork + (crownTop - fork) * 0.5f * (float(b) + rng.range(0.0f, 0.8f)) / float(branches);
        float rise = rng.range(0.35f, 0.85f);
        float length = spread * rng.range(0.85f, 1.15f) / std::cos(rise * 0.8f);
        Vec3 out = {std::sin(azimuth), 0, std::cos(azimuth)};
        Vec3 start = pathAt(trunk, y0);
        float r0 = girth * rng.range(0.38f, 0.48f) * (1 - 0.3f * float(b) / float(branches));
        std::vector<Ring> limb;
        for (int i = 0; i <= 4; ++i) {
            float t = float(i) / 4.0f;
            Vec3 p = start + out * (length * std::cos(rise) * t) +
                     Vec3(0, length * (std::sin(rise) * t + 0.2f * t * t), 0);
            limb.push_back({p, r0 * (1 - 0.78f * t)});
        }
        addTube(bark, limb, 7, 1);
        clusters.push_back({limb.back().centre, rng.range(1.7f, 2.3f)});
        float inner = rng.range(1.3f, 1.7f);
        if (clusters.size() < 11)
            clusters.push_back({lerp(limb[2].centre, limb[3].centre, 0.3f) + Vec3(0, 0.5f, 0), inner});
    }
    clusters.push_back({trunk.back().centre + Vec3(0, 0.1f, 0), rng.range(2.0f, 2.4f)});

    // The leaves: cards shared among the clusters by their surface, enough for a crown that
    // light still shows through here and there.
    size_t cards = std::min<size_t>(leafCards, (treeBudget - triangles(bark)) / 2);
    float surface = 0;
    for (const Cluster& c : clusters)
        surface += c.radius * c.radius;
    for (const Cluster& c : clusters) {
        Random cluster(rng.fork());
        int count = int(float(cards) * c.radius * c.radius / surface);
        addLeafCards(canopy, cluster, c.centre, {c.radius, c.radius * 0.78f, c.radius}, count);
    }

    // Branch ends and noise move the crown's top: scale a tree that leaves 7.2..10.8 m back into
    // that range about its foot.
    float top = 0;
    for (const Vec3& p : canopy.positions)
        top = std::max(top, p.y);
    float fit = std::min(std::max(top, 7.2f), 10.8f) / top;
    if (fit != 1)
        for (Geometry* g : {&bark, &canopy})
            for (Vec3& p : g->positions)
                p = p * fit;
}

void buildRock(std::vector<Geometry>& bins, const ModelOptions& o) {
    Geometry& g = bins[0];
    Random rng(o.seed * 22695477u + 1u);
    addBlob(g, {0, 0, 0}, {1, 1, 1}, 5, 0.32f, 1.7f, rng.fork());
    // A few flat cuts give the boulder its broken faces.
    int cuts = rng.between(2, 4);
    for (int c = 0; c < cuts; ++c) {
        float a = rng.range(0, 2 * pi), up = rng.range(-0.2f, 1.2f);
        Vec3 n = Vec3(std::cos(up) * std::sin(a), std::sin(up), std::cos(up) * std::cos(a)).normalized();
        float keep = rng.range(0.78f, 0.95f);
        for (Vec3& p : g.positions) {
            float d = p.dot(n);
            if (d > keep)
                p -= n * (d - keep);
        }
    }
    // Scale to a flattened boulder 1..1.5 m across, sunk a fifth of its height into the ground.
    float width = rng.range(1.0f, 1.5f), depth = width * rng.range(0.7f, 0.95f),
          tall = width * rng.range(0.45f, 0.65f);
    Vec3 lo = g.positions[0], hi = lo;
    for (const Vec3& p : g.positions) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    float turn = rng.range(0, 2 * pi);
    for (size_t i = 0; i < g.positions.size(); ++i) {
        Vec3 p = g.positions[i];
        Vec3 q = {(p.x - (lo.x + hi.x) * 0.5f) / (hi.x - lo.x) * width,
                  (p.y - lo.y) / (hi.y - lo.y) * tall - 0.2f * tall,
                  (p.z - (lo.z + hi.z) * 0.5f) / (hi.z - lo.z) * depth};
        g.positions[i] = rotateY(q, turn);
        g.texCoords[i] = {(g.positions[i].x + g.positions[i].z * 0.5f) * uvPerMetre,
                          g.positions[i].y * uvPerMetre};
    }
    smoothNormals(g, 0);
}

void buildGrass(std::vector<Geometry>& bins, const ModelOptions& o) {
    growGrass(bins[0], o.seed, 4, true);
}

void buildFlower(std::vector<Geometry>& bins, const ModelOptions& o) {
    growFlower(bins[FlowerGreen], bins[FlowerPetals], bins[FlowerHeart], o.seed, true);
}

// Plants scattered over a square patch centred on the origin, each turned and scaled at random
// and standing on y = 0 (the scene's vertex shader lifts every vertex onto the terrain by its x, z
// and sways it by its height). Every fifth plant, starting with the first, is a flower. Each plant
// carries its rank 0..meadowRanks-1 (the plants in turn) in its texture coordinates: u is moved by
// meadowRankStride × rank (its own u stays within ±1), so a shader that thins the meadow out with
// distance keeps whole plants (rank below the density): rank = round(u / stride). Blades, leaves
// and petals have their front faces only: the meadow's material draws both faces.
void buildMeadow(std::vector<Geometry>& bins, const ModelOptions& o) {
    float size = o.size > 0 ? o.size : meadowDefaultSize;
    int count = o.count > 0 ? o.count : meadowDefaultCount;
    Random rng(o.seed * 3266489917u + 374761393u);
    auto ranked = [](Geometry& bin, const Geometry& plant, const Frame& place, int rank) {
        size_t first = bin.positions.size();
        append(bin, plant, place);
        bin.texCoords.resize(bin.positions.size());
        for (size_t v = first; v < bin.texCoords.size(); ++v)
            bin.texCoords[v].x += meadowRankStride * float(rank);
    };
    for (int i = 0; i < count; ++i) {
        Vec3 at = {rng.range(-0.5f, 0.5f) * size, 0, rng.range(-0.5f, 0.5f) * size};
        Frame place = Frame::turned(at, rng.range(0, 2 * pi));
        uint32_t seed = rng.fork();
        int rank = i % meadowRanks;
        if (i % 5 == 0) {
            Geometry green, petals, heart;
            growFlower(green, petals, heart, seed, false);
            place = place.scaled(Vec3(1, 1, 1) * rng.range(0.85f, 1.15f));
            ranked(bins[FlowerGreen], green, place, rank);
            ranked(bins[FlowerPetals], petals, place, rank);
            ranked(bins[FlowerHeart], heart, place, rank);
        } else {
            Geometry clump;
            growGrass(clump, seed, 3, false);
            ranked(bins[0], clump, place.scaled(Vec3(1, 1, 1) * rng.range(0.75f, 1.25f)), rank);
        }
    }
}
