#include "Materials.h"
#include "Noise.h"
#include "Picture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using texgen::Material;
using texgen::Options;
using texgen::Surface;

std::vector<const Material*> allMaterials() {
    std::vector<const Material*> list;
    for (const Material* m = texgen::materialsBegin(); m != texgen::materialsEnd(); ++m)
        list.push_back(m);
    return list;
}

Options materialOptions(const Material& m, int size, unsigned seed = 3) {
    Options o = texgen::defaultOptions(m.name);
    o.width = o.height = size;
    o.seed = seed;
    return o;
}

bool sameSurface(const Surface& a, const Surface& b, float tolerance) {
    return std::fabs(a.colour.r - b.colour.r) <= tolerance &&
           std::fabs(a.colour.g - b.colour.g) <= tolerance &&
           std::fabs(a.colour.b - b.colour.b) <= tolerance &&
           std::fabs(a.colour.a - b.colour.a) <= tolerance && std::fabs(a.height - b.height) <= tolerance;
}

struct Picture {
    int width = 0, height = 0, channels = 3;
    std::vector<unsigned char> pixels;
    const unsigned char* at(int x, int y) const { return &pixels[(size_t(y) * width + x) * channels]; }
};

Picture draw(const Options& o) {
    Picture p;
    p.width = o.width;
    p.height = o.height;
    p.channels = o.channels;
    std::string error;
    EXPECT_TRUE(texgen::drawPicture(o, p.pixels, error)) << error;
    return p;
}

TEST(TexgenMaterials, EveryMaterialRepeatsWhereItTilesAndStaysInRange) {
    for (const Material* m : allMaterials()) {
        const Options o = materialOptions(*m, 64);
        int black = 0;
        float lowest = 1, highest = 0;
        for (int i = 0; i < 96; ++i)
            for (int j = 0; j < 96; ++j) {
                const float u = (i + 0.37f) / 96, v = (j + 0.61f) / 96;
                const Surface s = m->draw(o, u, v);
                // The next tile over is the same picture, everywhere, not only at the edges.
                if (m->tilesAcross) {
                    ASSERT_TRUE(sameSurface(s, m->draw(o, u + 1, v), 2e-3f))
                        << m->name << " at " << u << "," << v;
                }
                if (m->tilesAlong) {
                    ASSERT_TRUE(sameSurface(s, m->draw(o, u, v - 1), 2e-3f))
                        << m->name << " at " << u << "," << v;
                }
                for (float value : {s.colour.r, s.colour.g, s.colour.b, s.colour.a, s.height})
                    ASSERT_TRUE(value >= 0 && value <= 1) << m->name << " at " << u << "," << v;
                const float grey = (s.colour.r + s.colour.g + s.colour.b) / 3;
                lowest = std::min(lowest, grey);
                highest = std::max(highest, grey);
                black += grey == 0;
            }
        EXPECT_GT(highest - lowest, 0.1f) << m->name << " is a material, not a flat colour";
        EXPECT_LT(black, 96 * 96 / 100) << m->name << " clips to black";
    }
}

TEST(TexgenMaterials, TheSameSeedDrawsTheSamePictureAndAnotherSeedAnother) {
    for (const Material* m : allMaterials()) {
        const Picture a = draw(materialOptions(*m, 32, 5)), b = draw(materialOptions(*m, 32, 5));
        const Picture c = draw(materialOptions(*m, 32, 6));
        EXPECT_EQ(a.pixels, b.pixels) << m->name;
        EXPECT_NE(a.pixels, c.pixels) << m->name;
    }
}

TEST(TexgenMaterials, DefaultsComeFromTheMaterialAndColoursCanBeChanged) {
    const Options grass = texgen::defaultOptions("grass"), petal = texgen::defaultOptions("petals");
    EXPECT_EQ(grass.width, 256);
    EXPECT_EQ(petal.width, 128);
    EXPECT_GT(grass.from.g, grass.from.r) << "grass is green by default";
    EXPECT_EQ(texgen::defaultOptions("noise").width, 256);
    // A red petal from a white one: the same shape in the colours given.
    Options red = petal;
    red.from = {0.3f, 0.02f, 0.02f, 1};
    red.to = {0.9f, 0.1f, 0.05f, 1};
    const Surface white = texgen::findMaterial("petals")->draw(petal, 0.5f, 0.4f);
    const Surface poppy = texgen::findMaterial("petals")->draw(red, 0.5f, 0.4f);
    EXPECT_GT(white.colour.b, 0.7f);
    EXPECT_GT(poppy.colour.r, 3 * poppy.colour.b);
    EXPECT_EQ(white.colour.a, poppy.colour.a);
    EXPECT_FALSE(texgen::knownPattern("marble"));
    EXPECT_TRUE(texgen::knownPattern("rooftiles"));
}

TEST(TexgenMaterials, PathFadesOutAtItsVergesAndIsWholeInTheMiddle) {
    Options o = texgen::defaultOptions("path");
    o.width = o.height = 128;
    o.channels = 4;
    const Picture p = draw(o);
    for (int y = 0; y < 128; ++y) {
        ASSERT_EQ(p.at(0, y)[3], 0) << y;
        ASSERT_EQ(p.at(127, y)[3], 0) << y;
        for (int x = 32; x < 96; ++x)
            ASSERT_EQ(p.at(x, y)[3], 255) << x << "," << y;
    }
    // The ruts run along v: darker than the crown between them, on average down the picture.
    auto column = [&](int x) {
        float sum = 0;
        for (int y = 0; y < 128; ++y)
            sum += p.at(x, y)[0];
        return sum / 128;
    };
    EXPECT_LT(column(43), column(56));
    EXPECT_LT(column(84), column(72));
}

TEST(TexgenMaterials, PetalIsOnePetalOnClearGroundFromBaseColourToTipColour) {
    Options o = texgen::defaultOptions("petals");
    o.channels = 4;
    o.from = {0.1f, 0.1f, 0.8f, 1};
    o.to = {0.9f, 0.9f, 0.1f, 1};
    const Picture p = draw(o);
    for (auto corner : {p.at(0, 0), p.at(127, 0), p.at(0, 127), p.at(127, 127)})
        EXPECT_EQ(corner[3], 0);
    EXPECT_EQ(p.at(64, 64)[3], 255);
    // One piece: every row from the base to below the tip's teeth has its covered pixels in a
    // single run.
    for (int y = 14; y < 120; ++y) {
        int runs = 0;
        for (int x = 0; x < 128; ++x)
            runs += p.at(x, y)[3] > 127 && (x == 0 || p.at(x - 1, y)[3] <= 127);
        ASSERT_EQ(runs, 1) << "row " << y;
    }
    EXPECT_GT(p.at(64, 118)[2], p.at(64, 118)[0]) << "the base takes --from";
    EXPECT_GT(p.at(64, 20)[0], p.at(64, 20)[2]) << "the tip takes --to";
}

// The normal map of `o`'s height: unit normals facing out, leaning where the height falls, as
// steep as --strength says (slopes per picture width over 40). The reference heights are taken
// straight from the pattern beyond the picture's edges (u < 0, u > 1), so the edge pixels check
// that the map's differences wrap the way the pattern repeats.
void expectNormalsFollowHeight(Options o, int minimumSteep) {
    o.normalMap = true;
    o.channels = 3;
    const Picture p = draw(o);
    const int w = o.width, h = o.height;
    auto pixelHeight = [&](int x, int y) {
        float sum = 0;
        for (int s = 0; s < 4; ++s)
            sum += texgen::heightAt(o, (x + 0.25f + 0.5f * (s & 1)) / w, (y + 0.25f + 0.5f * (s >> 1)) / h);
        return sum / 4;
    };
    auto decode = [](unsigned char b) { return b / 127.5f - 1; };
    int steep = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* n = p.at(x, y);
            const float nx = decode(n[0]), ny = decode(n[1]), nz = decode(n[2]);
            ASSERT_NEAR(std::sqrt(nx * nx + ny * ny + nz * nz), 1, 0.02f)
                << o.pattern << " " << x << "," << y;
            ASSERT_GT(nz, 0) << o.pattern;
            const float du = pixelHeight(x + 1, y) - pixelHeight(x - 1, y);
            const float dv = pixelHeight(x, y + 1) - pixelHeight(x, y - 1);
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
                const float sx = du * 0.5f * w * o.strength / 40, sy = -dv * 0.5f * h * o.strength / 40;
                const float length = std::sqrt(sx * sx + sy * sy + 1);
                ASSERT_NEAR(nx, -sx / length, 0.03f) << o.pattern << " " << x << "," << y;
                ASSERT_NEAR(ny, -sy / length, 0.03f) << o.pattern << " " << x << "," << y;
            }
            if (std::fabs(du) > 0.05f && std::fabs(nx) > 0.1f) {
                ++steep;
                ASSERT_LT(nx * du, 0) << o.pattern << " " << x << "," << y;
            }
            if (std::fabs(dv) > 0.05f && std::fabs(ny) > 0.1f) {
                ASSERT_GT(ny * dv, 0) << o.pattern << " " << x << "," << y; // the map's y points up
            }
        }
    EXPECT_GT(steep, minimumSteep) << o.pattern;
}

TEST(TexgenMaterials, NormalMapsAreUnitLengthWrapAndLeanDownhill) {
    for (const char* name :
         {"brick", "rooftiles", "planks", "bark", "rock", "plaster", "shingles", "grass"}) {
        Options o = texgen::defaultOptions(name);
        o.width = o.height = 64;
        expectNormalsFollowHeight(o, 100);
    }
}

TEST(TexgenNoise, EveryToolRepeatsWithItsPeriod) {
    for (float x : {0.1f, 1.7f, 4.25f})
        for (float y : {0.3f, 2.9f}) {
            EXPECT_NEAR(texgen::gradientNoise(4, x, y, 5, 3), texgen::gradientNoise(4, x + 5, y - 3, 5, 3),
                        1e-5f);
            const texgen::CellHit a = texgen::cellular(4, x, y, 5, 3),
                                  b = texgen::cellular(4, x - 5, y + 6, 5, 3);
            EXPECT_NEAR(a.f1, b.f1, 1e-4f);
            EXPECT_NEAR(a.edge, b.edge, 1e-4f);
            EXPECT_EQ(a.id, b.id);
            EXPECT_LE(a.f1, a.f2);
            EXPECT_GE(a.edge, -1e-5f);
            const float u = x / 5, v = y / 3;
            const texgen::Brick c = texgen::brick(4, u, v, 5, 6, 0.5f, 0.2f, 0.6f);
            const texgen::Brick d = texgen::brick(4, u + 1, v - 1, 5, 6, 0.5f, 0.2f, 0.6f);
            EXPECT_EQ(c.column, d.column);
            EXPECT_EQ(c.row, d.row);
            EXPECT_NEAR(c.x, d.x, 1e-4f);
            EXPECT_NEAR(c.random, d.random, 1e-6f);
        }
    // fbm sits around 0.5 and mostly inside 0..1.
    int outside = 0;
    float sum = 0;
    for (int i = 0; i < 4096; ++i) {
        const float n = texgen::fbm(9, (i % 64) / 64.0f, (i / 64) / 64.0f, 4, 5);
        outside += n < 0 || n > 1;
        sum += n;
    }
    EXPECT_EQ(outside, 0);
    EXPECT_NEAR(sum / 4096, 0.5f, 0.08f);
}

TEST(TexgenNoise, BricksCoverTheRowWithoutGapsOrOverlaps) {
    // Walking along a row, x rises from 0 to 1 within each brick and the column steps by one at
    // each joint, also where jittered joints make bricks of different widths.
    const int columns = 7;
    int steps = 0, last = texgen::brick(2, 0, 0.5f, columns, 4, 0.5f, 0.3f, 0.8f).column;
    float lastX = -1;
    for (int i = 0; i < 2000; ++i) {
        const texgen::Brick b = texgen::brick(2, i / 2000.0f, 0.5f / 4, columns, 4, 0.5f, 0.3f, 0.8f);
        ASSERT_GE(b.x, 0);
        ASSERT_LT(b.x, 1);
        ASSERT_GE(b.edge, 0);
        if (b.column != last) {
            ASSERT_EQ(b.column, (last + 1) % columns) << i;
            ASSERT_LT(b.x, lastX) << i;
            ++steps;
        } else {
            ASSERT_GE(b.x, lastX) << i;
        }
        last = b.column;
        lastX = b.x;
    }
    EXPECT_EQ(steps, columns);
}

TEST(TexgenNoise, OverlappedRowsShadeBelowTheEdgeAboveThem) {
    // Straight down the middle of a column of tiles: each tile shows from its row's top, the shadow
    // is deepest right under the edge above and fades further down.
    for (int i = 0; i < 200; ++i) {
        const float v = i / 200.0f;
        const texgen::Overlap t = texgen::overlapped(1, 0.1f, v, 5, 4, 0, 0, 0, 0.4f);
        ASSERT_GE(t.shadow, 0) << v;
        ASSERT_NEAR(t.shadow, v * 4 - std::floor(v * 4), 0.05f) << v;
    }
    // Near a tile's corner the rounded edge lets the next row's tile show through, in shadow.
    const texgen::Overlap corner = texgen::overlapped(1, 0.005f, 0.19f, 5, 4, 0, 0, 0, 0.4f);
    EXPECT_LT(corner.tile.y, 0);
    EXPECT_EQ(corner.tile.row, 1);
    EXPECT_LT(corner.shadow, 0.1f);
}

} // namespace
