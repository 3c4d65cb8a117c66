#pragma once

#include "assets/ImageLoader.h"

// Decodes baseline and progressive JPEG files with libjpeg into grey or RGB rows, bottom row
// first. Library errors (and files that end early) fail the decode; nothing leaks.
class JPEGLoader : public ImageLoader {
public:
    JPEGLoader() : ImageLoader("jpg:jpeg:jif:jfif") {}

    [[nodiscard]] Ref<Texture3D> loadVolume(const std::string& path, int depth) override;
    [[nodiscard]] bool decode(const std::string& path, DecodedImage& out) override;
    // JPEG textures come from files only: these two answer null.
    [[nodiscard]] Ref<Texture> loadFromMemory(const void* data, size_t size) override;
    [[nodiscard]] Ref<Texture> loadFromStream(InputStream& in) override;
    [[nodiscard]] Ref<Texture> load(const std::string& path) override;

    // Same decoding over a caller-owned block of bytes.
    [[nodiscard]] bool decode(const void* data, size_t size, DecodedImage& out);
};
