// The film at six beats, one per part and light (night, dawn, the sun rising behind the mill, noon
// at the mill, dusk with the lamps, the title), drawn by build/vorndle's frame-exact stills at
// 320 x 180 and compared with tests/data/production/golden_beat_<B>.png. A change to any of the
// production's shaders, scenes or states fails here until the pictures are approved again on
// purpose (`make goldens`; failures leave pictures in production_failures/). Beside the pictures,
// what a viewer would notice first is checked outright: daylight is never crushed to black, and
// the night is dark but not flat.
#include "app/capture/StillRenderer.h"
#include "assets/DecodedImage.h"
#include "assets/PNGLoader.h"
#include "support/DemoTree.h"
#include "support/GoldenImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 320, kHeight = 180;
const int kBeats[] = {8, 80, 104, 150, 248, 260};

// RGBA rows top first, from a decoded still (rows bottom first, RGB or RGBA).
std::vector<uint8_t> topFirstRgba(const DecodedImage& image) {
    std::vector<uint8_t> rgba(size_t(image.width) * size_t(image.height) * 4);
    const size_t channels = size_t(image.channels);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p =
                &image.pixels[(size_t(image.height - 1 - y) * size_t(image.width) + size_t(x)) * channels];
            uint8_t* q = &rgba[(size_t(y) * size_t(image.width) + size_t(x)) * 4];
            q[0] = p[0], q[1] = p[channels > 1 ? 1 : 0], q[2] = p[channels > 2 ? 2 : 0], q[3] = 255;
        }
    return rgba;
}

// Share of pixels whose luma is below 8 (of 255), and the spread of luma (its standard deviation).
void lumaFigures(const std::vector<uint8_t>& rgba, double& darkShare, double& spread) {
    double sum = 0, sumSquares = 0;
    size_t dark = 0, count = rgba.size() / 4;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const double luma = 0.2126 * rgba[i] + 0.7152 * rgba[i + 1] + 0.0722 * rgba[i + 2];
        dark += luma < 8.0 ? 1 : 0;
        sum += luma;
        sumSquares += luma * luma;
    }
    const double mean = sum / double(count);
    darkShare = double(dark) / double(count);
    spread = std::sqrt(std::max(sumSquares / double(count) - mean * mean, 0.0));
}

} // namespace

TEST(ProductionGolden, SixBeatsOfTheFilmMatchTheirApprovedPictures) {
    TempDir dir;
    const std::string folder = dir.file("stills");
    std::string beats;
    for (int beat : kBeats)
        beats += (beats.empty() ? "" : ",") + std::to_string(beat);
    const std::string command = std::string(VORNDLE_BINARY_DIR "/vorndle --root " VORNDLE_BINARY_DIR) +
                                " --no-dialog --no-message-box --size 320x180 --stills " + beats + " --out " +
                                folder;
    std::string err;
    ASSERT_EQ(runCommand(command, &err, 300), 0) << err;

    PNGLoader png;
    for (int beat : kBeats) {
        const std::string name = StillRenderer::fileName(beat);
        DecodedImage still;
        ASSERT_TRUE(png.decode(folder + "/" + name, still)) << name;
        ASSERT_EQ(still.width, kWidth);
        ASSERT_EQ(still.height, kHeight);
        const std::vector<uint8_t> rgba = topFirstRgba(still);

        double darkShare = 0, spread = 0;
        lumaFigures(rgba, darkShare, spread);
        if (beat >= 106 && beat < 224) {
            EXPECT_LE(darkShare, 0.005) << name << ": daylight has no black shadows";
        }
        EXPECT_GT(spread, 4.0) << name << ": not one flat colour";

        char golden[32];
        std::snprintf(golden, sizeof golden, "golden_beat_%d", beat);
        EXPECT_TRUE(matchesGoldenImage(VORNDLE_SOURCE_DIR "/tests/data/production", "production_failures",
                                       golden, kWidth, kHeight, rgba));
    }
}
