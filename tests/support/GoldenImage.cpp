#include "support/GoldenImage.h"

#include "assets/DecodedImage.h"
#include "assets/PNGLoader.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

bool writeRgbPngFile(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba) {
    PngSpec spec;
    spec.width = w;
    spec.height = h;
    spec.colorType = PNG_COLOR_TYPE_RGB;
    spec.rows.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4)
        spec.rows.insert(spec.rows.end(), rgba.begin() + long(i), rgba.begin() + long(i) + 3);
    std::vector<uint8_t> bytes = encodePng(spec);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return writeFile(path, bytes.data(), bytes.size());
}

::testing::AssertionResult matchesGoldenImage(const std::string& goldenDir, const std::string& failureDir,
                                              const std::string& name, int w, int h,
                                              const std::vector<uint8_t>& actual, int maxChannelDelta,
                                              double minPsnr) {
    const std::string path = goldenDir + "/" + name + ".png";
    const char* update = std::getenv("VORNDLE_UPDATE_GOLDENS");
    if (update && *update && std::string(update) != "0") {
        if (!writeRgbPngFile(path, w, h, actual))
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess();
    }
    DecodedImage golden;
    PNGLoader loader;
    if (!loader.decode(path, golden) || golden.width != w || golden.height != h || golden.channels != 3)
        return ::testing::AssertionFailure() << path << " is missing or not a " << w << "x" << h
                                             << " RGB picture (VORNDLE_UPDATE_GOLDENS=1 writes it)";
    int worst = 0, worstX = 0, worstY = 0;
    double squares = 0;
    std::vector<uint8_t> diff(actual.size(), 255);
    for (int y = 0; y < h; ++y) {
        const uint8_t* g = golden.pixels.data() + size_t(h - 1 - y) * golden.rowBytes(); // bottom row first
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const size_t i = (size_t(y) * size_t(w) + size_t(x)) * 4 + size_t(c);
                const int delta = std::abs(int(actual[i]) - int(g[x * 3 + c]));
                squares += double(delta) * delta;
                diff[i] = uint8_t(std::min(255, delta * 8));
                if (delta > worst)
                    worst = delta, worstX = x, worstY = y;
            }
    }
    const double mse = squares / (double(w) * h * 3);
    const double psnr = mse > 0 ? 10.0 * std::log10(255.0 * 255.0 / mse) : 99.0;
    if (worst <= maxChannelDelta && psnr >= minPsnr)
        return ::testing::AssertionSuccess();
    writeRgbPngFile(failureDir + "/" + name + ".actual.png", w, h, actual);
    writeRgbPngFile(failureDir + "/" + name + ".diff.png", w, h, diff);
    return ::testing::AssertionFailure()
           << name << ": largest channel difference " << worst << " at (" << worstX << ", " << worstY
           << "), PSNR " << psnr << " dB; pictures in " << std::filesystem::absolute(failureDir).string();
}

::testing::AssertionResult sameStill(const std::string& name, const DecodedImage& a, const DecodedImage& b) {
    if (a.width != b.width || a.height != b.height || a.channels != b.channels ||
        a.pixels.size() != b.pixels.size())
        return ::testing::AssertionFailure() << name << ": the two stills differ in size";
    const size_t channels = size_t(a.channels > 0 ? a.channels : 1);
    size_t differing = 0, firstAt = 0;
    bool uniform = true;
    for (size_t i = 0; i < a.pixels.size(); i += channels) {
        bool same = true;
        for (size_t c = 0; c < channels; ++c) {
            same = same && a.pixels[i + c] == b.pixels[i + c];
            uniform = uniform && a.pixels[i + c] == a.pixels[c];
        }
        if (!same && differing++ == 0)
            firstAt = i / channels;
    }
    if (uniform)
        return ::testing::AssertionFailure() << name << " is one flat colour";
    if (differing > 0)
        return ::testing::AssertionFailure()
               << name << ": " << differing << " pixels differ, the first at x " << firstAt % size_t(a.width)
               << ", row " << firstAt / size_t(a.width) << " from the bottom";
    return ::testing::AssertionSuccess();
}
