#include "assets/Mipmaps.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Where each texel of a side `to` long samples a side `from` long: the two texels either side of
// its centre and the weight of the second.
struct Tap {
    int first;
    int second;
    int weight; // of the second, in 256ths
};

void taps(int from, int to, std::vector<Tap>& out) {
    out.resize(size_t(to));
    const float scale = float(from) / float(to);
    for (int i = 0; i < to; ++i) {
        const float s = (float(i) + 0.5f) * scale - 0.5f;
        const float floor = std::floor(s);
        const int first = int(floor);
        out[size_t(i)] = {std::clamp(first, 0, from - 1), std::clamp(first + 1, 0, from - 1),
                          int((s - floor) * 256.0f + 0.5f)};
    }
}

// From x towards y by w 256ths, rounded to nearest (halves up).
int lerp(int x, int y, int w) {
    return x + (((y - x) * w + 128) >> 8);
}

} // namespace

int mipmapLevelCount(int width, int height) {
    int levels = 1;
    for (int side = std::max(width, height); side > 1; side /= 2)
        ++levels;
    return levels;
}

void halveImage(const DecodedImage& level, DecodedImage& below) {
    const int channels = level.channels;
    below.width = std::max(level.width / 2, 1);
    below.height = std::max(level.height / 2, 1);
    below.channels = channels;
    below.format = level.format;
    below.pixels.resize(below.rowBytes() * size_t(below.height));
    std::vector<Tap> columns, rows;
    taps(level.width, below.width, columns);
    taps(level.height, below.height, rows);
    const size_t stride = level.rowBytes();
    uint8_t* out = below.pixels.data();
    for (const Tap& row : rows) {
        const uint8_t* upper = level.pixels.data() + size_t(row.first) * stride;
        const uint8_t* lower = level.pixels.data() + size_t(row.second) * stride;
        for (const Tap& column : columns) {
            const size_t a = size_t(column.first) * size_t(channels);
            const size_t b = size_t(column.second) * size_t(channels);
            for (int c = 0; c < channels; ++c) {
                const int top = lerp(upper[a + c], upper[b + c], column.weight);
                const int bottom = lerp(lower[a + c], lower[b + c], column.weight);
                *out++ = uint8_t(lerp(top, bottom, row.weight));
            }
        }
    }
}
