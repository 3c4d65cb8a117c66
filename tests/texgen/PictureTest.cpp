#include "Picture.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using texgen::Options;

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    const unsigned char* at(int x, int y) const { return &pixels[(size_t(y) * width + x) * 3]; }
};

Image draw(Options o) {
    Image image;
    image.width = o.width;
    image.height = o.height;
    std::string error;
    EXPECT_TRUE(texgen::drawPicture(o, image.pixels, error)) << error;
    EXPECT_EQ(image.pixels.size(), size_t(o.width) * o.height * 3);
    return image;
}

Options options(const char* pattern, int width, int height) {
    Options o;
    o.pattern = pattern;
    o.width = width;
    o.height = height;
    return o;
}

float luma(const unsigned char* p) {
    return (0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2]) / 255.0f;
}

TEST(TexgenPatterns, FilmRampRisesWarmlyFromNearBlackToNearWhite) {
    const Image ramp = draw(options("filmramp", 256, 1));
    for (int x = 1; x < 256; ++x)
        for (int c = 0; c < 3; ++c)
            ASSERT_GE(ramp.at(x, 0)[c], ramp.at(x - 1, 0)[c]) << "entry " << x << " channel " << c;
    EXPECT_LT(luma(ramp.at(0, 0)), 0.05f);
    EXPECT_GT(luma(ramp.at(255, 0)), 0.9f);
    const unsigned char* middle = ramp.at(128, 0);
    EXPECT_GT(middle[0], middle[1]);
    EXPECT_GT(middle[1], middle[2]);
}

TEST(TexgenPatterns, VignetteIsWhiteInTheMiddleAndDarkensEvenlyToTheCorners) {
    Options o = options("vignette", 512, 288);
    o.from = {1, 1, 1, 1};
    o.to = {0.6f, 0.6f, 0.6f, 1};
    const Image v = draw(o);
    EXPECT_EQ(v.at(256, 144)[0], 255);
    for (auto corner : {v.at(0, 0), v.at(511, 0), v.at(0, 287), v.at(511, 287)})
        EXPECT_NEAR(corner[0], 0.6 * 255, 4);
    // Symmetric, and never brighter further out along the diagonal.
    EXPECT_EQ(v.at(40, 30)[0], v.at(511 - 40, 287 - 30)[0]);
    for (int i = 1; i < 144; ++i)
        ASSERT_LE(v.at(256 + i * 256 / 144, 144 + i)[0], v.at(256 + (i - 1) * 256 / 144, 144 + i - 1)[0])
            << i;
}

TEST(TexgenPatterns, PetalNormalsAreUnitLengthAndFollowTheHeight) {
    Options o = options("petalnormal", 256, 256);
    const Image n = draw(o);
    auto decode = [](unsigned char b) { return b / 127.5f - 1; };
    EXPECT_EQ(n.at(2, 2)[0], 128);
    EXPECT_EQ(n.at(2, 2)[2], 255);
    int steep = 0;
    for (int y = 1; y < 255; ++y)
        for (int x = 1; x < 255; ++x) {
            const unsigned char* p = n.at(x, y);
            const float nx = decode(p[0]), ny = decode(p[1]), nz = decode(p[2]);
            ASSERT_NEAR(std::sqrt(nx * nx + ny * ny + nz * nz), 1, 0.02f) << x << "," << y;
            ASSERT_GT(nz, 0);
            // Normals lean downhill: against the height's rise to the right, and with its rise
            // down the picture (the map's y points up).
            const float u = (x + 0.5f) / 256, v = (y + 0.5f) / 256, d = 1.0f / 256;
            const float du = texgen::petalHeight(u + d, v) - texgen::petalHeight(u - d, v);
            const float dv = texgen::petalHeight(u, v + d) - texgen::petalHeight(u, v - d);
            if (std::fabs(du) > 0.02f && std::fabs(nx) > 0.1f) {
                ++steep;
                ASSERT_LT(nx * du, 0) << x << "," << y;
            }
            if (std::fabs(dv) > 0.02f && std::fabs(ny) > 0.1f) {
                ASSERT_GT(ny * dv, 0) << x << "," << y;
            }
        }
    EXPECT_GT(steep, 1000);
}

// Bounds of the pixels brighter than `level` in the rows [top, bottom).
struct Box {
    int left = 1 << 30, right = -1, count = 0;
};
Box brightBox(const Image& image, int top, int bottom, float level) {
    Box box;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width; ++x)
            if (luma(image.at(x, y)) > level) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                ++box.count;
            }
    return box;
}

TEST(TexgenPictures, TitleCardCentresWarmTextOnBlack) {
    Options o = options("titlecard", 1024, 576);
    o.title = "Vorndle";
    o.lines = {"a demo by the Vorndle team", "made by our own tools"};
    const Image card = draw(o);
    for (auto corner : {card.at(0, 0), card.at(1023, 0), card.at(0, 575), card.at(1023, 575)})
        EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
    const Box title = brightBox(card, 0, 288, 0.8f);
    ASSERT_GT(title.count, 2000);
    EXPECT_NEAR((title.left + title.right) / 2.0, 512, 12);
    EXPECT_GT(title.right - title.left, 300) << "the title is drawn large";
    const Box lines = brightBox(card, 288, 576, 0.5f);
    EXPECT_GT(lines.count, 200);
    EXPECT_NEAR((lines.left + lines.right) / 2.0, 512, 12);
    // Warm white and anti-aliased: the brightest pixels lean red, and there are in-between levels.
    int partial = 0;
    for (size_t i = 0; i < card.pixels.size(); i += 3) {
        const unsigned char* p = &card.pixels[i];
        if (p[0] > 240) {
            ASSERT_GE(p[0], p[2]);
        }
        partial += p[0] > 60 && p[0] < 200;
    }
    EXPECT_GT(partial, 500);
}

// The card's alpha darkens the frame before its text is added: strongly behind every letter, in
// bands across the text, nothing at the top and bottom edges, and never all the way to black.
TEST(TexgenPictures, TitleCardAlphaDarkensBehindItsTextOnly) {
    Options o = options("titlecard", 512, 288);
    o.title = "Vorndle";
    o.lines = {"a demo by the Vorndle team", "thank you for watching"};
    const Image rgb = draw(o);
    o.channels = 4;
    std::vector<unsigned char> rgba;
    std::string error;
    ASSERT_TRUE(texgen::drawPicture(o, rgba, error)) << error;
    ASSERT_EQ(rgba.size(), size_t(512) * 288 * 4);
    int letters = 0, highest = 0;
    for (int y = 0; y < 288; ++y)
        for (int x = 0; x < 512; ++x) {
            const unsigned char* p = &rgba[(size_t(y) * 512 + x) * 4];
            ASSERT_TRUE(std::equal(p, p + 3, rgb.at(x, y))) << "the text is the same at " << x << "," << y;
            highest = std::max(highest, int(p[3]));
            if (y < 4 || y > 283) {
                ASSERT_EQ(p[3], 0) << x << "," << y;
            }
            if (y > 160 && luma(p) > 0.5f) {
                ++letters;
                EXPECT_GE(p[3], 128) << "behind a letter at " << x << "," << y;
            }
        }
    EXPECT_GT(letters, 100);
    EXPECT_LE(highest, 218) << "darkens, never blacks out";
    int band = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        band += rgba[i + 3] >= 100 && luma(&rgba[i]) < 0.05f;
    EXPECT_GT(band, 512 * 288 / 10) << "a dark band behind the text, not only round the letters";
}

TEST(TexgenPictures, PastoralIllustrationHasSkyAboveGrassAndAnOptionalTitle) {
    Options o = options("pastoral", 256, 142);
    const Image plain = draw(o);
    EXPECT_GT(plain.at(10, 2)[2], plain.at(10, 2)[0]) << "blue sky at the top";
    EXPECT_GT(plain.at(10, 138)[1], plain.at(10, 138)[0]) << "green hills at the bottom";
    EXPECT_GT(plain.at(10, 138)[1], plain.at(10, 138)[2]);
    o.title = "Vorndle";
    const Image titled = draw(o);
    EXPECT_EQ(brightBox(plain, 0, 50, 0.9f).count, 0);
    const Box title = brightBox(titled, 0, 50, 0.9f);
    EXPECT_GT(title.count, 100);
    EXPECT_NEAR((title.left + title.right) / 2.0, 128, 6);
}

TEST(TexgenPictures, MissingFontFailsWithItsName) {
    Options o = options("titlecard", 64, 32);
    o.title = "x";
    o.font = "/nonexistent/font.ttf";
    std::vector<unsigned char> pixels;
    std::string error;
    EXPECT_FALSE(texgen::drawPicture(o, pixels, error));
    EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos) << error;
}

} // namespace

TEST(TexgenPatterns, SurfaceTilesAndStaysBetweenItsColours) {
    Options o;
    o.pattern = "surface";
    o.seed = 5;
    o.from = {0.2f, 0.4f, 0.1f, 1};
    o.to = {0.6f, 0.7f, 0.3f, 1};
    float lowest = 1, highest = 0;
    for (int i = 0; i <= 64; ++i) {
        const float t = float(i) / 64;
        // Opposite edges meet: the picture repeats without a seam.
        EXPECT_NEAR(texgen::shade(o, 0.0f, t).g, texgen::shade(o, 1.0f, t).g, 1e-5f) << t;
        EXPECT_NEAR(texgen::shade(o, t, 0.0f).g, texgen::shade(o, t, 1.0f).g, 1e-5f) << t;
        for (int j = 0; j < 64; ++j) {
            const float g = texgen::shade(o, t, float(j) / 64).g;
            lowest = std::min(lowest, g);
            highest = std::max(highest, g);
        }
    }
    EXPECT_GE(lowest, 0.4f - 1e-5f);
    EXPECT_LE(highest, 0.7f + 1e-5f);
    EXPECT_GT(highest - lowest, 0.15f) << "a surface, not a flat colour";
}

TEST(TexgenPatterns, HillsMapsTheValleyOntoVertexCentredGreys) {
    Options o = options("hills", 129, 129);
    o.seed = 5;
    const Image image = draw(o);
    auto heightAt = [&](int px, int py) {
        return texgen::kValleyBase + image.at(px, py)[0] / 255.0f * texgen::kValleyRange;
    };
    const float cell = texgen::kValleySize / 128;
    // Corners are the square's edges, the middle pixel the origin; rows run from north (-z).
    for (int py : {0, 37, 64, 128})
        for (int px : {0, 64, 101, 128}) {
            const float x = -200 + px * cell, z = -200 + py * cell;
            EXPECT_NEAR(heightAt(px, py), texgen::valleyHeight(5, x, z), texgen::kValleyRange / 255 + 1e-3f)
                << px << "," << py;
        }
    // The windmill's hill rises above the farm's yard, and the rim above both.
    const float mill = texgen::valleyHeight(5, texgen::kValleyMill[0], texgen::kValleyMill[1]);
    const float farm = texgen::valleyHeight(5, texgen::kValleyFarm[0], texgen::kValleyFarm[1]);
    EXPECT_GT(mill, farm + 4);
    EXPECT_GT(texgen::valleyHeight(5, 0, 195), mill);
    // The yard is level: a few metres around the farm stay within a hand's breadth.
    EXPECT_NEAR(texgen::valleyHeight(5, texgen::kValleyFarm[0] + 6, texgen::kValleyFarm[1] - 5), farm, 0.1f);
    for (int y = 0; y < 129; y += 8)
        for (int x = 0; x < 129; x += 8) {
            const float h = texgen::valleyHeight(5, -200 + x * cell, -200 + y * cell);
            EXPECT_GT(h, texgen::kValleyBase);
            EXPECT_LT(h, texgen::kValleyBase + texgen::kValleyRange);
        }
}
