#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels as the image loaders deliver them: tightly packed rows of width × channels bytes, the
// first row being the bottom row of the picture. `format` is a texture format code ("r_8" 0,
// "rg_8" 10, "rgb_8" 20, "rgba_8" 25).
struct DecodedImage {
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    int32_t format = 44;

    size_t rowBytes() const { return size_t(width) * size_t(channels); }
};
