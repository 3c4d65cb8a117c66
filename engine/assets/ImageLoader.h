#pragma once

#include "assets/DecodedImage.h"
#include "assets/Loader.h"

#include <cstdint>
#include <string>
#include <vector>

// Base of the loaders that turn picture files into pixels (and, through the render layer, into
// textures). Decoding is pure CPU work; a failed decode leaves `out` empty.
class ImageLoader : public Loader {
public:
    static constexpr int32_t formatR8 = 0;
    static constexpr int32_t formatRG8 = 10;
    static constexpr int32_t formatRGB8 = 20;
    static constexpr int32_t formatRGBA8 = 25;

    // Pictures larger than this are refused before any pixel memory is allocated.
    static constexpr int32_t defaultMaxDimension = 16384;
    static constexpr uint64_t defaultMaxBytes = 256ull << 20;

    explicit ImageLoader(std::string extensions) : Loader(std::move(extensions)) {}

    virtual bool decode(const std::string& path, DecodedImage& out) = 0;

    // Tighter limits for callers that decode untrusted bytes in bulk (fuzzing, inspection).
    void setLimits(int32_t maxDimension, uint64_t maxBytes) {
        maxDimension_ = maxDimension;
        maxBytes_ = maxBytes;
    }
    int32_t maxDimension() const { return maxDimension_; }
    // True (and nothing said) when a width × height × channels picture fits the limits.
    bool sizeAcceptable(uint64_t width, uint64_t height, uint64_t channels) const;

    // Name of one of the four formats the decoders produce ("r_8" …), or "" for any other code.
    static const char* formatName(int32_t format);

    // Cube maps come as six files base + "_c00.png" … "_c05.png" in the order +X, −X, +Y, −Y, +Z,
    // −Z; file k fills engine face cubeFaceForFile(k).
    static std::string cubeFaceFileName(const std::string& base, int file);
    static int cubeFaceForFile(int file);

    // True when two pictures can share one texture: same width, height, channels and format. Cube
    // faces must all agree with the first; the texture is sized from it.
    static bool sameLayout(const DecodedImage& a, const DecodedImage& b);

    // Height of one slice when a picture holds `depth` slices stacked vertically, or 0 when it
    // cannot (depth below 1 or above the height). Rows left over by an uneven split are not used.
    static int32_t volumeSliceHeight(const DecodedImage& image, int32_t depth);

    // Layers of a 2D array texture must agree in width, height, channels and format, and there
    // must be at least two of them. On success `out` holds the layers one after another.
    static bool concatenateLayers(const std::vector<DecodedImage>& layers, DecodedImage& out);

protected:
    int32_t maxDimension_ = defaultMaxDimension;
    uint64_t maxBytes_ = defaultMaxBytes;
};
