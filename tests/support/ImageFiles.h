#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pictures written with libpng and libjpeg, so the tests and benchmarks need no binary fixtures.
struct PngSpec {
    int width = 1;
    int height = 1;
    int colorType = 0; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows;      // top row first, packed as libpng expects for the depth
    std::vector<uint8_t> palette;   // RGB triples
    std::vector<uint8_t> trnsAlpha; // palette transparency
};

std::vector<uint8_t> encodePng(const PngSpec& spec);
// `components` 1 (grey) or 3 (RGB); rows top first.
std::vector<uint8_t> encodeJpeg(int width, int height, int components, const std::vector<uint8_t>& rows,
                                bool progressive = false, int quality = 95);
std::vector<uint8_t> greyPng(int width, int height, const std::vector<uint8_t>& rows);
