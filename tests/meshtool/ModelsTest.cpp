#include "Models.h"

#include "assets/MeshWriter.h"
#include "assets/RAWMeshLoader.h"
#include "core/MemoryOutputStream.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <tuple>

namespace {

constexpr uint32_t allAttributes = MeshPosition | MeshNormal | MeshTangent | MeshTexCoord;

struct Model {
    Geometry g;
    MeshData mesh;
};

Model build(const std::string& name, uint32_t seed = 1, int count = 0, float size = 0) {
    Model m;
    ModelOptions o;
    o.seed = seed;
    o.count = count;
    o.size = size;
    std::string error;
    EXPECT_TRUE(buildModel(name, o, m.g, error)) << error;
    PackOptions pack;
    pack.flags = allAttributes;
    EXPECT_TRUE(packGeometry(m.g, pack, m.mesh, error)) << name << ": " << error;
    return m;
}

std::vector<unsigned char> bytes(const std::string& name, uint32_t seed, int count = 0) {
    Model m = build(name, seed, count);
    MemoryOutputStream out;
    EXPECT_TRUE(MeshWriter::write(out, m.mesh));
    return out.bytes();
}

struct Box {
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    void grow(const Vec3& p) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
};

// The vertices one bin's triangles use.
std::vector<uint32_t> binVertices(const Geometry& g, size_t bin) {
    const Geometry::Group& gr = g.groups[bin];
    std::vector<uint32_t> v(g.indices.begin() + gr.first, g.indices.begin() + gr.first + gr.count);
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

Box binBox(const Geometry& g, size_t bin) {
    Box b;
    for (uint32_t v : binVertices(g, bin))
        b.grow(g.positions[v]);
    return b;
}

Box modelBox(const Geometry& g) {
    Box b;
    for (const Vec3& p : g.positions)
        b.grow(p);
    return b;
}

Vec3 faceNormal(const Geometry& g, size_t t) {
    const Vec3& a = g.positions[g.indices[t]];
    return (g.positions[g.indices[t + 1]] - a).cross(g.positions[g.indices[t + 2]] - a);
}

// Triangles of a bin that hang together through shared corner positions (welded, since flat
// parts split their vertices), each group with the signed volume it encloses about its own
// centre and the sum of the unsigned volumes. A closed part wound inside out encloses a negative
// volume; a double-sided sheet encloses about none.
struct Part {
    double volume = 0, unsigned_ = 0;
};

std::vector<Part> parts(const Geometry& g, size_t bin) {
    const Geometry::Group& gr = g.groups[bin];
    std::map<std::tuple<long, long, long>, size_t> weld;
    std::vector<size_t> corner(g.positions.size());
    for (uint32_t v : binVertices(g, bin)) {
        const Vec3& p = g.positions[v];
        auto key = std::make_tuple(std::lround(p.x * 1e4f), std::lround(p.y * 1e4f), std::lround(p.z * 1e4f));
        corner[v] = weld.emplace(key, weld.size()).first->second;
    }
    std::vector<size_t> root(weld.size());
    std::iota(root.begin(), root.end(), 0);
    auto find = [&](size_t k) {
        while (root[k] != k)
            k = root[k] = root[root[k]];
        return k;
    };
    for (uint32_t t = gr.first; t < gr.first + gr.count; t += 3)
        for (int k = 1; k < 3; ++k)
            root[find(corner[g.indices[t + k]])] = find(corner[g.indices[t]]);
    std::map<size_t, std::vector<uint32_t>> groups;
    for (uint32_t t = gr.first; t < gr.first + gr.count; t += 3)
        groups[find(corner[g.indices[t]])].push_back(t);
    std::vector<Part> out;
    for (const auto& entry : groups) {
        Vec3 centre;
        for (uint32_t t : entry.second)
            centre += g.positions[g.indices[t]] * (1.0f / float(entry.second.size()));
        Part part;
        for (uint32_t t : entry.second) {
            Vec3 a = g.positions[g.indices[t]] - centre, b = g.positions[g.indices[t + 1]] - centre,
                 c = g.positions[g.indices[t + 2]] - centre;
            double v = double(a.dot(b.cross(c))) / 6;
            part.volume += v;
            part.unsigned_ += std::fabs(v);
        }
        out.push_back(part);
    }
    return out;
}

const std::map<std::string, int> binCounts = {{"windmill", 4}, {"sails", 2},  {"farmhouse", 5},
                                              {"fence", 1},    {"tree", 2},   {"rock", 1},
                                              {"grass", 1},    {"flower", 3}, {"meadow", 3}};

TEST(Models, EachPacksWithTangentsAndItsBinsInOrder) {
    for (const auto& [name, bins] : binCounts) {
        SCOPED_TRACE(name);
        Model m = build(name);
        ASSERT_EQ(m.mesh.bins.size(), size_t(bins));
        ASSERT_EQ(m.mesh.bounds.size(), size_t(bins));
        EXPECT_EQ(m.mesh.indexSize, 2) << "every model fits 16-bit indices";
        for (size_t i = 1; i < m.mesh.bins.size(); ++i)
            EXPECT_EQ(m.mesh.bins[i].first, m.mesh.bins[i - 1].first + m.mesh.bins[i - 1].count);
        for (size_t i = 0; i < m.g.positions.size(); ++i) {
            ASSERT_NEAR(m.g.normals[i].length(), 1.0f, 1e-3f) << "vertex " << i;
            ASSERT_TRUE(std::isfinite(m.g.positions[i].dot(m.g.positions[i])));
            ASSERT_TRUE(std::isfinite(m.g.texCoords[i].x) && std::isfinite(m.g.texCoords[i].y));
        }
    }
    EXPECT_FALSE(isModelSource("box"));
    Geometry g;
    std::string error;
    EXPECT_FALSE(buildModel("windmil", {}, g, error));
}

TEST(Models, StayWithinTheirTriangleBudgets) {
    const std::map<std::string, size_t> budget = {{"windmill", 4000}, {"sails", 2000},  {"farmhouse", 3000},
                                                  {"tree", 4000},     {"rock", 600},    {"grass", 200},
                                                  {"flower", 300},    {"meadow", 25000}};
    for (const auto& [name, most] : budget)
        for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
            Model m = build(name, seed);
            EXPECT_LE(m.mesh.indexCount / 3, most) << name << " seed " << seed;
        }
}

TEST(Models, FacesPointOutwards) {
    // Vertex normals agree with the winding of nearly every triangle (smooth parts may disagree
    // on a sliver or two at a crease).
    for (const auto& [name, bins] : binCounts)
        for (uint32_t seed : {1u, 2u, 3u}) {
            Model m = build(name, seed);
            size_t disagree = 0;
            for (size_t t = 0; t < m.g.indices.size(); t += 3) {
                Vec3 n = m.g.normals[m.g.indices[t]] + m.g.normals[m.g.indices[t + 1]] +
                         m.g.normals[m.g.indices[t + 2]];
                disagree += faceNormal(m.g, t).dot(n) <= 0;
            }
            EXPECT_LE(disagree, m.g.indices.size() / 3 / 200) << name << " seed " << seed;
            // Every closed part encloses its volume the right way round; sheets shown from both
            // sides enclose about none. (The meadow's one-faced blades enclose nothing at all.)
            if (name == "meadow")
                continue;
            for (int bin = 0; bin < bins; ++bin)
                for (const Part& p : parts(m.g, size_t(bin)))
                    ASSERT_GE(p.volume, -0.02 * p.unsigned_ - 1e-7)
                        << name << " seed " << seed << " bin " << bin;
        }
    // Window panes look out of the buildings.
    for (auto [name, glass] :
         {std::pair<const char*, size_t>{"windmill", WindmillGlass}, {"farmhouse", FarmhouseGlass}}) {
        Model m = build(name);
        const Geometry::Group& gr = m.g.groups[glass];
        for (uint32_t t = gr.first; t < gr.first + gr.count; t += 3) {
            Vec3 at = m.g.positions[m.g.indices[t]];
            EXPECT_GT(faceNormal(m.g, t).dot(Vec3(at.x, 0, at.z)), 0) << name;
        }
    }
}

TEST(Models, ThinPartsShowBothSides) {
    // Every blade triangle has a twin with the opposite winding over the same corners.
    Model grass = build("grass", 4);
    std::map<std::tuple<long, long, long>, int> facing;
    auto key = [&](size_t t) {
        Vec3 c = (grass.g.positions[grass.g.indices[t]] + grass.g.positions[grass.g.indices[t + 1]] +
                  grass.g.positions[grass.g.indices[t + 2]]) *
                 (1e5f / 3);
        return std::make_tuple(std::lround(c.x), std::lround(c.y), std::lround(c.z));
    };
    for (size_t t = 0; t < grass.g.indices.size(); t += 3)
        facing[key(t)] += faceNormal(grass.g, t).dot(Vec3(0.31f, 0.83f, 0.47f)) >= 0 ? 1 : -1;
    for (const auto& entry : facing)
        EXPECT_EQ(entry.second, 0);
    // The sail cloth has faces towards the wind and away from it.
    Model sails = build("sails");
    int front = 0, back = 0;
    const Geometry::Group& cloth = sails.g.groups[SailsCloth];
    for (uint32_t t = cloth.first; t < cloth.first + cloth.count; t += 3) {
        float z = faceNormal(sails.g, t).normalized().z;
        front += z > 0.9f;
        back += z < -0.9f;
    }
    EXPECT_GT(front, 100);
    EXPECT_EQ(front, back);
}

// Whether every edge of a bin's triangles (by welded corner positions) has exactly two triangles
// on it: a closed surface, which the shadow pass (depth only, no cut-outs) needs.
bool closed(const Geometry& g, size_t bin) {
    auto key = [&](uint32_t v) {
        const Vec3& p = g.positions[v];
        return std::make_tuple(std::lround(p.x * 1e4f), std::lround(p.y * 1e4f), std::lround(p.z * 1e4f));
    };
    std::map<std::pair<std::tuple<long, long, long>, std::tuple<long, long, long>>, int> edges;
    const Geometry::Group& gr = g.groups[bin];
    for (uint32_t t = gr.first; t < gr.first + gr.count; t += 3)
        for (int k = 0; k < 3; ++k) {
            auto a = key(g.indices[t + k]), b = key(g.indices[t + (k + 1) % 3]);
            edges[std::minmax(a, b)]++;
        }
    return std::all_of(edges.begin(), edges.end(), [](const auto& e) { return e.second == 2; });
}

TEST(Models, RocksFlowerHeartsAndClothAreClosed) {
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        EXPECT_TRUE(closed(build("rock", seed).g, 0)) << seed;
        EXPECT_TRUE(closed(build("flower", seed).g, FlowerHeart)) << seed;
    }
    EXPECT_TRUE(closed(build("sails").g, SailsCloth));
    EXPECT_FALSE(closed(build("grass").g, 0)) << "blades are open strips, shown from both sides";
}

// A crown is a cloud of separate leaf cards: flat quads that each show the whole leaf picture,
// fronts turned out of the crown (its shading leans on that), and a few hundred of them.
TEST(Models, CrownsAreLeafCardsFacingOutOfTheCrown) {
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        Model tree = build("tree", seed);
        const Geometry& g = tree.g;
        const Geometry::Group& crown = g.groups[TreeCanopy];
        ASSERT_EQ(crown.count % 6, 0u) << seed;
        const size_t cards = crown.count / 6;
        EXPECT_GE(cards, 400u) << seed;
        EXPECT_LE(tree.mesh.indexCount / 3, 2500u) << "leaves room under the budget; seed " << seed;
        Box box = binBox(g, TreeCanopy);
        const Vec3 middle = (box.lo + box.hi) * 0.5f;
        size_t outwards = 0;
        for (size_t c = 0; c < cards; ++c) {
            const uint32_t* q = &g.indices[crown.first + c * 6];
            std::vector<uint32_t> corners(q, q + 6);
            std::sort(corners.begin(), corners.end());
            corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
            ASSERT_EQ(corners.size(), 4u) << "card " << c << " seed " << seed;
            Vec2 lo{1, 1}, hi{0, 0};
            Vec3 centre;
            for (uint32_t v : corners) {
                const Vec2& t = g.texCoords[v];
                lo = {std::min(lo.x, t.x), std::min(lo.y, t.y)};
                hi = {std::max(hi.x, t.x), std::max(hi.y, t.y)};
                EXPECT_NEAR((g.normals[v] - g.normals[corners[0]]).length(), 0.0f, 1e-5f);
                centre = centre + g.positions[v] * 0.25f;
            }
            EXPECT_TRUE(lo.x == 0 && lo.y == 0 && hi.x == 1 && hi.y == 1) << "card " << c << " seed " << seed;
            const Vec3 front = faceNormal(g, crown.first + c * 6).normalized();
            EXPECT_NEAR(std::fabs(front.dot(faceNormal(g, crown.first + c * 6 + 3).normalized())), 1.0f,
                        1e-3f)
                << "flat; card " << c;
            EXPECT_GT(front.dot(g.normals[corners[0]]), 0.2f) << "the front is the lit side; card " << c;
            outwards += g.normals[corners[0]].dot(centre - middle) > 0;
        }
        EXPECT_GT(outwards, cards * 8 / 10) << seed;
    }
}

TEST(Models, WindmillHasItsSizeAndHub) {
    Model m = build("windmill");
    Box walls = binBox(m.g, WindmillWalls), cap = binBox(m.g, WindmillCap);
    EXPECT_FLOAT_EQ(walls.hi.y, 11.0f);
    EXPECT_LE(walls.lo.y, -0.5f);
    EXPECT_NEAR(walls.hi.x, 3.2f, 0.3f);
    EXPECT_GE(cap.lo.y, 10.8f);
    EXPECT_NEAR(cap.hi.y, 14.0f, 0.5f);
    EXPECT_LE(binBox(m.g, WindmillWood).hi.y, 15.0f);
    // The windshaft ends in a disc centred on the hub; apart from it nothing reaches into the
    // sails' sweep, a disc of radius 10 about the hub (down to y = 2.5).
    Vec3 disc;
    int discCorners = 0;
    for (size_t i = 0; i < m.g.positions.size(); ++i) {
        Vec3 p = m.g.positions[i];
        float off = std::hypot(p.x - windmillHub.x, p.y - windmillHub.y);
        if (std::fabs(p.z - windmillHub.z) < 1e-4f && m.g.normals[i].z > 0.99f) {
            disc += p;
            ++discCorners;
        }
        // The sails reach 0.42 m behind the hub at their hub block, 0.15 m further out.
        float clear = windmillHub.z - (off < 0.8f ? 0.45f : 0.15f);
        if (p.y > 2.4f && off < 10.3f && off > 0.35f) {
            EXPECT_LT(p.z, clear) << "vertex " << i << " at " << p.x << ", " << p.y << ", " << p.z;
        }
    }
    ASSERT_GE(discCorners, 3);
    EXPECT_NEAR((disc * (1.0f / float(discCorners)) - windmillHub).length(), 0, 1e-3f);
}

TEST(Models, SailsSpanTenMetresWithTheClothBehindTheLattice) {
    Model m = build("sails");
    float reach = 0, clothNear = 100, clothFar = 0;
    for (const Vec3& p : m.g.positions)
        reach = std::max(reach, std::hypot(p.x, p.y));
    for (uint32_t v : binVertices(m.g, SailsCloth)) {
        const Vec3& p = m.g.positions[v];
        float r = std::max(std::fabs(p.x), std::fabs(p.y));
        clothNear = std::min(clothNear, r);
        clothFar = std::max(clothFar, r);
        EXPECT_LT(p.z, -0.01f);
    }
    EXPECT_NEAR(reach, 10.2f, 0.3f);
    EXPECT_NEAR(clothFar - clothNear, 7.0f, 0.3f);
    Box all = modelBox(m.g);
    EXPECT_NEAR(all.lo.x, -all.hi.x, 1e-3f) << "four arms round the origin";
    EXPECT_GE(all.lo.z, -0.45f);
    EXPECT_LE(all.hi.z, 0.65f);
}

TEST(Models, FarmhouseHasItsFootprintRoofAndChimney) {
    Model m = build("farmhouse");
    Box walls = binBox(m.g, FarmhouseWalls), roof = binBox(m.g, FarmhouseRoof);
    EXPECT_NEAR(walls.hi.x - walls.lo.x, 10.0f, 0.2f);
    EXPECT_NEAR(walls.hi.z - walls.lo.z, 7.0f, 0.2f);
    EXPECT_LE(walls.lo.y, -0.5f);
    EXPECT_NEAR(roof.hi.x, 5.5f, 0.1f);
    EXPECT_NEAR(roof.hi.z, 4.0f, 0.2f);
    EXPECT_NEAR(roof.hi.y, 7.5f, 0.2f);
    // The chimney's top face is centred on the documented point and it starts inside the roof.
    Box chimney = binBox(m.g, FarmhouseChimney);
    EXPECT_FLOAT_EQ(chimney.hi.y, farmhouseChimneyTop.y);
    EXPECT_LT(chimney.lo.y, 6.8f) << "it rises from below the roof";
    Vec3 sum;
    int n = 0;
    for (uint32_t v : binVertices(m.g, FarmhouseChimney))
        if (m.g.positions[v].y == chimney.hi.y) {
            sum += m.g.positions[v];
            ++n;
        }
    ASSERT_GT(n, 0);
    EXPECT_NEAR((sum * (1.0f / float(n)) - farmhouseChimneyTop).length(), 0, 1e-4f);
}

TEST(Models, FenceSectionsChainEveryFourMetres) {
    for (uint32_t seed : {1u, 9u}) {
        Model m = build("fence", seed);
        Box b = modelBox(m.g);
        EXPECT_FLOAT_EQ(b.hi.x, 4.0f);
        EXPECT_GT(b.lo.x, -0.15f);
        EXPECT_LE(b.lo.y, -0.4f);
        EXPECT_NEAR(b.hi.y, 1.2f, 0.15f);
        // The post stands at x = 0: everything above the top rail belongs to it.
        for (const Vec3& p : m.g.positions)
            if (p.y > 1.0f) {
                EXPECT_LT(std::fabs(p.x), 0.15f);
            }
    }
}

TEST(Models, TreesAndRocksVaryWithinTheirSizes) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        Model tree = build("tree", seed);
        Box bark = binBox(tree.g, TreeBark), crown = binBox(tree.g, TreeCanopy);
        EXPECT_GE(crown.hi.y, 7.0f) << seed;
        EXPECT_LE(crown.hi.y, 11.0f) << seed;
        EXPECT_LE(bark.lo.y, -0.5f) << seed;
        EXPECT_GT(crown.lo.y, 1.5f) << "a crown, not a bush; seed " << seed;
        EXPECT_GT(crown.hi.x - crown.lo.x, 4.0f) << seed;

        Model rock = build("rock", seed);
        Box r = modelBox(rock.g);
        float width = std::max(r.hi.x - r.lo.x, r.hi.z - r.lo.z);
        EXPECT_GE(width, 0.9f) << seed;
        EXPECT_LE(width, 1.6f) << seed;
        EXPECT_LT(r.hi.y - r.lo.y, width) << "flattened; seed " << seed;
        EXPECT_LT(r.lo.y, 0.0f) << seed;
        EXPECT_GT(r.lo.y, -0.3f) << seed;
    }
}

TEST(Models, GrassAndFlowersStandOnTheGround) {
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        Model grass = build("grass", seed);
        Box b = modelBox(grass.g);
        EXPECT_EQ(b.lo.y, 0.0f);
        EXPECT_GE(b.hi.y, 0.4f);
        EXPECT_LE(b.hi.y, 0.7f);
        for (size_t i = 0; i < grass.g.positions.size(); ++i) {
            EXPECT_EQ(grass.g.texCoords[i].y, grass.g.positions[i].y) << "v is the height";
            EXPECT_TRUE(grass.g.texCoords[i].x == 0 || grass.g.texCoords[i].x == 1);
        }
        int blades = int(grass.mesh.indexCount / 3 / 14);
        EXPECT_GE(blades, 7);
        EXPECT_LE(blades, 12);

        Model flower = build("flower", seed);
        Box f = modelBox(flower.g);
        EXPECT_EQ(f.lo.y, 0.0f);
        EXPECT_GE(f.hi.y, 0.3f);
        EXPECT_LE(f.hi.y, 0.55f);
        for (uint32_t v : binVertices(flower.g, FlowerPetals)) {
            const Vec2& uv = flower.g.texCoords[v];
            EXPECT_TRUE(uv.x >= 0 && uv.x <= 1 && uv.y >= 0 && uv.y <= 1);
        }
        EXPECT_GT(binBox(flower.g, FlowerHeart).lo.y, 0.25f);
    }
}

TEST(Models, MeadowScattersPlantsOverItsPatch) {
    Model m = build("meadow", 5);
    EXPECT_LT(m.mesh.indexCount / 3, 25000u);
    Box b = modelBox(m.g);
    EXPECT_EQ(b.lo.y, 0.0f);
    EXPECT_LT(b.hi.x, meadowDefaultSize * 0.5f + 0.8f);
    EXPECT_GT(b.lo.z, -meadowDefaultSize * 0.5f - 0.8f);
    EXPECT_GT(b.hi.x - b.lo.x, meadowDefaultSize * 0.8f);
    // Every plant stands on y = 0: each bin-0 part (a blade, a stem) starts at the ground.
    size_t onGround = 0;
    for (uint32_t v : binVertices(m.g, 0))
        onGround += m.g.positions[v].y == 0;
    EXPECT_GE(onGround, size_t(meadowDefaultCount) * 7);

    Model small = build("meadow", 5, 3, 2);
    ASSERT_EQ(small.mesh.bins.size(), 3u) << "the first plant is a flower";
    Box s = modelBox(small.g);
    EXPECT_GT(s.lo.x, -1.8f);
    EXPECT_LT(s.hi.z, 1.8f);
    EXPECT_LT(small.mesh.indexCount, m.mesh.indexCount / 20);
}

TEST(Models, SeedsRepeatExactlyAndVary) {
    for (const char* name : {"tree", "rock", "grass", "flower", "meadow", "fence"}) {
        EXPECT_EQ(bytes(name, 7), bytes(name, 7)) << name;
        EXPECT_NE(bytes(name, 7), bytes(name, 8)) << name;
    }
    EXPECT_EQ(bytes("windmill", 1), bytes("windmill", 2)) << "the buildings do not vary";
}

// The meadow's plants carry their rank in u, so a shader can thin the meadow out by whole plants:
// every triangle has one rank, every rank is used about as often, a flower's heart has the rank of
// its petals, and what is left of u once the rank is taken off is the plant's own.
TEST(Models, MeadowPlantsCarryOneRankEach) {
    Model m = build("meadow", 2, 160);
    auto rank = [&](uint32_t v) { return std::lround(m.g.texCoords[v].x / meadowRankStride); };
    std::vector<size_t> uses(meadowRanks, 0);
    for (size_t t = 0; t < m.g.indices.size(); t += 3) {
        const long r = rank(m.g.indices[t]);
        ASSERT_TRUE(r >= 0 && r < meadowRanks) << "triangle " << t / 3;
        ++uses[size_t(r)];
        for (int k = 0; k < 3; ++k) {
            const uint32_t v = m.g.indices[t + k];
            ASSERT_EQ(rank(v), r) << "triangle " << t / 3;
            ASSERT_LE(std::fabs(m.g.texCoords[v].x - meadowRankStride * float(r)), 1.01f);
        }
    }
    const size_t triangles = m.g.indices.size() / 3;
    for (int r = 0; r < meadowRanks; ++r)
        EXPECT_GT(uses[size_t(r)], triangles / meadowRanks / 3) << "rank " << r;
    const std::vector<uint32_t> petals = binVertices(m.g, FlowerPetals);
    for (uint32_t h : binVertices(m.g, FlowerHeart)) {
        const Vec3& p = m.g.positions[h];
        uint32_t nearest = petals[0];
        for (uint32_t q : petals)
            if ((m.g.positions[q] - p).length() < (m.g.positions[nearest] - p).length())
                nearest = q;
        ASSERT_EQ(rank(h), rank(nearest)) << "heart vertex " << h;
    }
}

TEST(Models, MeshtoolWritesThemWithSeedAndCount) {
    TempDir dir;
    auto run = [&](const std::string& args) {
        std::string command =
            std::string(VORNDLE_BINARY_DIR) + "/tools/meshtool " + args + " 2>" + dir.file("err");
        return std::system(command.c_str());
    };
    ASSERT_EQ(run("--flags position,normal,tangent,texcoord --seed 3 tree " + dir.file("a.rmsh")), 0);
    ASSERT_EQ(run("--count 12 --size 5 --seed 3 meadow " + dir.file("m.rmsh")), 0);
    EXPECT_NE(run("--seed x tree " + dir.file("b.rmsh")), 0);
    EXPECT_NE(run("--count 0 meadow " + dir.file("b.rmsh")), 0);
    MeshData tree, meadow;
    ASSERT_TRUE(RAWMeshLoader::readFile(dir.file("a.rmsh"), tree));
    EXPECT_EQ(tree.flags, allAttributes);
    Model expected = build("tree", 3);
    EXPECT_EQ(tree.vertices, expected.mesh.vertices);
    ASSERT_TRUE(RAWMeshLoader::readFile(dir.file("m.rmsh"), meadow));
    EXPECT_LE(meadow.bounds[0].max.x, 2.5f + 0.8f);
}

} // namespace
