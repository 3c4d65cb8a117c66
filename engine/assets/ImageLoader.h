#pragma once

#include "assets/DecodedImage.h"
#include "assets/Loader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class InputStream;
class Texture;
class Texture2D;
class Texture3D;

// Base of the loaders that turn picture files into pixels and textures. Decoding is pure CPU
// work; a failed decode leaves `out` empty. The texture operations need a current GL context,
// answer null (with one diagnostic line) on failure and leave no texture bound.
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

    // Kept so that the operations below stay in their established places; nothing calls them.
    virtual Ref<Object> reserved1() { return nullptr; }
    virtual Ref<Object> reserved2() { return nullptr; }

    // The picture holds `depth` slices stacked vertically; each becomes one layer of the volume.
    [[nodiscard]] virtual Ref<Texture3D> loadVolume(const std::string& path, int depth) = 0;
    [[nodiscard]] virtual bool decode(const std::string& path, DecodedImage& out) = 0;
    [[nodiscard]] virtual Ref<Texture> loadFromMemory(const void* data, size_t size) = 0;
    // Reads from the stream's current position; the caller keeps ownership.
    [[nodiscard]] virtual Ref<Texture> loadFromStream(InputStream& in) = 0;
    // A picture one row high becomes a Texture1D, anything taller a Texture2D.
    [[nodiscard]] virtual Ref<Texture> load(const std::string& path) = 0;

    // The texture steps of the operations above, for pixels decoded elsewhere. `source` names
    // the pixels in diagnostics. They set the unpack alignment to 1 for the upload and restore it.
    static Ref<Texture> textureFromImage(const DecodedImage& image, const std::string& source);
    static Ref<Texture3D> volumeFromImage(const DecodedImage& image, int depth, const std::string& source);
    // Every level below the base of a bound 2D texture made from `base`, made on the CPU the way
    // glGenerateMipmap makes them (see halveImage): the same pictures without the driver's work,
    // which on a software renderer compiles a program per pixel format (tens of milliseconds each).
    static void uploadMipmaps(const Texture2D& texture, const DecodedImage& base);

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
