#pragma once

#include "assets/ImageLoader.h"

class InputStream;

// Decodes PNG files with libpng into 8-bit grey, grey + alpha, RGB or RGBA rows, bottom row
// first. Palettes, low bit depths and transparency chunks are expanded, 16-bit samples reduced.
class PNGLoader : public ImageLoader {
public:
    PNGLoader() : ImageLoader("png:PNG") {}

    [[nodiscard]] Ref<Texture3D> loadVolume(const std::string& path, int depth) override;
    [[nodiscard]] bool decode(const std::string& path, DecodedImage& out) override;
    [[nodiscard]] Ref<Texture> loadFromMemory(const void* data, size_t size) override;
    [[nodiscard]] Ref<Texture> loadFromStream(InputStream& in) override;
    [[nodiscard]] Ref<Texture> load(const std::string& path) override;

    // The stream is read from its current position; the caller keeps ownership.
    [[nodiscard]] bool decode(InputStream& in, DecodedImage& out);
    [[nodiscard]] bool decode(const void* data, size_t size, DecodedImage& out);

    // When set, colour is multiplied by alpha with 8-bit arithmetic ((c × a) >> 8).
    bool premultiply() const { return premultiply_; }
    void setPremultiply(bool premultiply) { premultiply_ = premultiply; }

private:
    bool premultiply_ = false;
};
