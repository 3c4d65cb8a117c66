#include "support/ImageFiles.h"

#include "assets/JPEGLoader.h"
#include "assets/PNGLoader.h"
#include "support/TempDir.h"

#include "core/MemoryInputStream.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace {

PngSpec rgbaGradient(int w, int h, bool interlaced = false) {
    PngSpec s;
    s.width = w;
    s.height = h;
    s.colorType = PNG_COLOR_TYPE_RGBA;
    s.interlaced = interlaced;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.rows.insert(s.rows.end(), {uint8_t(x * 7), uint8_t(y * 13), uint8_t(x ^ y), uint8_t(255 - x)});
    return s;
}

DecodedImage decodePng(const std::vector<uint8_t>& bytes, bool premultiply = false) {
    PNGLoader loader;
    loader.setPremultiply(premultiply);
    DecodedImage image;
    EXPECT_TRUE(loader.decode(bytes.data(), bytes.size(), image));
    return image;
}

TEST(PNGLoaderTest, RowsComeBottomUpFromPathStreamAndMemory) {
    PngSpec spec = rgbaGradient(5, 3);
    std::vector<uint8_t> bytes = encodePng(spec);
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("a.png"), bytes.data(), bytes.size()));

    PNGLoader loader;
    DecodedImage fromPath, fromStream;
    ASSERT_TRUE(loader.decode(dir.file("a.png"), fromPath));
    MemoryInputStream in(bytes.data(), bytes.size());
    ASSERT_TRUE(loader.decode(in, fromStream));
    DecodedImage fromMemory = decodePng(bytes);

    EXPECT_EQ(fromPath.width, 5);
    EXPECT_EQ(fromPath.height, 3);
    EXPECT_EQ(fromPath.channels, 4);
    EXPECT_EQ(fromPath.format, ImageLoader::formatRGBA8);
    ASSERT_EQ(fromPath.pixels.size(), 5u * 3 * 4);
    for (int y = 0; y < 3; ++y) // buffer row y holds the file's row 2 - y
        EXPECT_EQ(0, std::memcmp(&fromPath.pixels[size_t(y) * 20], &spec.rows[size_t(2 - y) * 20], 20)) << y;
    EXPECT_EQ(fromPath.pixels, fromStream.pixels);
    EXPECT_EQ(fromPath.pixels, fromMemory.pixels);
}

TEST(PNGLoaderTest, ExpansionsChooseTheFormat) {
    PngSpec palette;
    palette.width = 2;
    palette.height = 1;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.rows = {0, 1};
    palette.palette = {10, 20, 30, 40, 50, 60};
    palette.trnsAlpha = {0};
    DecodedImage p = decodePng(encodePng(palette));
    EXPECT_EQ(p.channels, 4);
    EXPECT_EQ(p.format, ImageLoader::formatRGBA8);
    EXPECT_EQ(p.pixels, (std::vector<uint8_t>{10, 20, 30, 0, 40, 50, 60, 255}));

    PngSpec grey4;
    grey4.width = 2;
    grey4.height = 1;
    grey4.bitDepth = 4;
    grey4.rows = {0xF0}; // 15, 0 → 255, 0
    DecodedImage g = decodePng(encodePng(grey4));
    EXPECT_EQ(g.format, ImageLoader::formatR8);
    EXPECT_EQ(g.pixels, (std::vector<uint8_t>{255, 0}));

    PngSpec greyAlpha;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.rows = {200, 100};
    DecodedImage ga = decodePng(encodePng(greyAlpha));
    EXPECT_EQ(ga.channels, 2);
    EXPECT_EQ(ga.format, ImageLoader::formatRG8);

    PngSpec rgb16;
    rgb16.colorType = PNG_COLOR_TYPE_RGB;
    rgb16.bitDepth = 16;
    rgb16.rows = {0x34, 0x12, 0xFF, 0xAB, 0x00, 0x80}; // 0x1234, 0xABFF, 0x8000, little-endian
    DecodedImage c = decodePng(encodePng(rgb16));
    EXPECT_EQ(c.format, ImageLoader::formatRGB8);
    EXPECT_EQ(c.pixels, (std::vector<uint8_t>{0x12, 0xAB, 0x80}));
}

TEST(PNGLoaderTest, InterlacedMatchesProgressiveAndWideStripIsOneRow) {
    EXPECT_EQ(decodePng(encodePng(rgbaGradient(13, 9, true))).pixels,
              decodePng(encodePng(rgbaGradient(13, 9, false))).pixels);
    DecodedImage strip = decodePng(encodePng(rgbaGradient(256, 1)));
    EXPECT_EQ(strip.width, 256);
    EXPECT_EQ(strip.height, 1);
}

TEST(PNGLoaderTest, PremultiplyUsesEightBitArithmetic) {
    PngSpec s;
    s.width = 2;
    s.colorType = PNG_COLOR_TYPE_RGBA;
    s.rows = {255, 128, 0, 128, 255, 255, 255, 255};
    DecodedImage p = decodePng(encodePng(s), true);
    EXPECT_EQ(p.pixels, (std::vector<uint8_t>{127, 64, 0, 128, 254, 254, 254, 255}));

    PngSpec ga;
    ga.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    ga.rows = {200, 128};
    EXPECT_EQ(decodePng(encodePng(ga), true).pixels, (std::vector<uint8_t>{100, 128}));
}

TEST(PNGLoaderTest, BrokenFilesFailCleanly) {
    std::vector<uint8_t> good = encodePng(rgbaGradient(16, 16));
    PNGLoader loader;
    DecodedImage image;
    for (size_t cut : {size_t(0), size_t(7), size_t(20), size_t(40), good.size() / 2, good.size() - 13}) {
        EXPECT_FALSE(loader.decode(good.data(), cut, image)) << cut;
        EXPECT_TRUE(image.pixels.empty());
    }
    std::vector<uint8_t> flipped = good;
    flipped[good.size() / 2] ^= 0xFF; // breaks the image data's CRC
    EXPECT_FALSE(loader.decode(flipped.data(), flipped.size(), image));
    EXPECT_FALSE(loader.decode("/nonexistent/x.png", image));

    // A header promising an enormous picture is refused before any pixels are allocated.
    std::vector<uint8_t> huge = encodePng(rgbaGradient(1, 1));
    for (int k = 0; k < 2; ++k) { // width and height, big-endian, in the IHDR chunk
        huge[16 + size_t(k) * 4] = 0;
        huge[17 + size_t(k) * 4] = 0x01;
        huge[18 + size_t(k) * 4] = 0x86;
        huge[19 + size_t(k) * 4] = 0xA0; // 100000
    }
    uLong crc = crc32(0, huge.data() + 12, 17);
    for (int k = 0; k < 4; ++k)
        huge[29 + size_t(k)] = uint8_t(crc >> (24 - 8 * k));
    EXPECT_FALSE(loader.decode(huge.data(), huge.size(), image));

    std::vector<uint8_t> wide = encodePng(rgbaGradient(600, 1));
    loader.setLimits(1 << 20, 1024);
    EXPECT_FALSE(loader.decode(wide.data(), wide.size(), image)) << "2400 bytes of pixels exceed the cap";
}

TEST(JPEGLoaderTest, GreyAndColourDecodeBottomUp) {
    const int w = 16, h = 8;
    std::vector<uint8_t> grey(size_t(w * h)), colour(size_t(w * h * 3));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            grey[size_t(y * w + x)] = uint8_t(y < h / 2 ? 20 : 230);
            for (int c = 0; c < 3; ++c)
                colour[size_t((y * w + x) * 3 + c)] = uint8_t(y < h / 2 ? 200 : 40);
        }
    TempDir dir;
    std::vector<uint8_t> g = encodeJpeg(w, h, 1, grey), c = encodeJpeg(w, h, 3, colour, true);
    ASSERT_TRUE(writeFile(dir.file("g.jpg"), g.data(), g.size()));
    ASSERT_TRUE(writeFile(dir.file("c.jfif"), c.data(), c.size()));

    JPEGLoader loader;
    DecodedImage gi, ci;
    ASSERT_TRUE(loader.decode(dir.file("g.jpg"), gi));
    EXPECT_EQ(gi.channels, 1);
    EXPECT_EQ(gi.format, ImageLoader::formatR8);
    EXPECT_NEAR(gi.pixels[0], 230, 6) << "the first buffer row is the picture's bottom row";
    EXPECT_NEAR(gi.pixels.back(), 20, 6);

    ASSERT_TRUE(loader.decode(dir.file("c.jfif"), ci));
    EXPECT_EQ(ci.channels, 3);
    EXPECT_EQ(ci.format, ImageLoader::formatRGB8);
    EXPECT_EQ(ci.pixels.size(), size_t(w * h * 3));
    EXPECT_NEAR(ci.pixels[0], 40, 6);
    EXPECT_NEAR(ci.pixels.back(), 200, 6);

    DecodedImage fromMemory;
    ASSERT_TRUE(loader.decode(c.data(), c.size(), fromMemory));
    EXPECT_EQ(fromMemory.pixels, ci.pixels);
}

TEST(JPEGLoaderTest, BrokenFilesFailAndCloseTheFile) {
    std::vector<uint8_t> rows(64 * 64 * 3, 90);
    std::vector<uint8_t> good = encodeJpeg(64, 64, 3, rows);
    TempDir dir;
    JPEGLoader loader;
    DecodedImage image;
    ASSERT_TRUE(writeFile(dir.file("cut.jpg"), good.data(), good.size() / 2));
    ASSERT_TRUE(writeFile(dir.file("junk.jpg"), "not a jpeg at all"));
    // Many failures in a row would run out of descriptors if a failed decode left its file open.
    for (int i = 0; i < 600; ++i) {
        ASSERT_FALSE(loader.decode(dir.file("cut.jpg"), image));
        ASSERT_FALSE(loader.decode(dir.file("junk.jpg"), image));
    }
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_FALSE(loader.decode(good.data(), 0, image));
    EXPECT_FALSE(loader.decode("/nonexistent/x.jpg", image));
}

TEST(ImageLoaderTest, CubeFacesAndArrayLayers) {
    EXPECT_EQ(ImageLoader::cubeFaceFileName("sky", 3), "sky_c03.png");
    int faces[6];
    for (int k = 0; k < 6; ++k)
        faces[k] = ImageLoader::cubeFaceForFile(k);
    EXPECT_EQ(std::vector<int>(faces, faces + 6), (std::vector<int>{0, 3, 1, 4, 2, 5}));

    DecodedImage a = decodePng(encodePng(rgbaGradient(4, 4)));
    DecodedImage b = decodePng(encodePng(rgbaGradient(4, 4)));
    DecodedImage small = decodePng(encodePng(rgbaGradient(4, 2)));
    DecodedImage out;
    ASSERT_TRUE(ImageLoader::concatenateLayers({a, b}, out));
    EXPECT_EQ(out.pixels.size(), a.pixels.size() * 2);
    EXPECT_FALSE(ImageLoader::concatenateLayers({a, small}, out));
    EXPECT_FALSE(ImageLoader::concatenateLayers({a}, out)) << "an array needs two layers";
    DecodedImage grey = a;
    grey.channels = 1;
    grey.format = ImageLoader::formatR8;
    EXPECT_FALSE(ImageLoader::sameLayout(a, grey));

    EXPECT_EQ(ImageLoader::volumeSliceHeight(a, 2), 2);
    EXPECT_EQ(ImageLoader::volumeSliceHeight(a, 0), 0) << "no division by a zero depth";
    EXPECT_EQ(ImageLoader::volumeSliceHeight(a, 5), 0);

    EXPECT_TRUE(PNGLoader().canLoad("x.PNG"));
    EXPECT_FALSE(JPEGLoader().canLoad("x.JPG"));
}

} // namespace
