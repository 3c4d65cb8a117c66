#include "assets/ImageLoader.h"

#include <cstdio>
#include <cstring>

bool ImageLoader::sizeAcceptable(uint64_t width, uint64_t height, uint64_t channels) const {
    if (width == 0 || height == 0 || channels == 0 || channels > 4)
        return false;
    if (width > uint64_t(maxDimension_) || height > uint64_t(maxDimension_))
        return false;
    // Each factor is at most 2^31 here, so the product cannot wrap a 64-bit value.
    return width * height * channels <= maxBytes_;
}

const char* ImageLoader::formatName(int32_t format) {
    switch (format) {
    case formatR8:
        return "r_8";
    case formatRG8:
        return "rg_8";
    case formatRGB8:
        return "rgb_8";
    case formatRGBA8:
        return "rgba_8";
    }
    return "";
}

std::string ImageLoader::cubeFaceFileName(const std::string& base, int file) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "_c%02d.png", file);
    return base + suffix;
}

int ImageLoader::cubeFaceForFile(int file) {
    static constexpr int faces[6] = {0, 3, 1, 4, 2, 5};
    return file >= 0 && file < 6 ? faces[file] : -1;
}

int32_t ImageLoader::volumeSliceHeight(const DecodedImage& image, int32_t depth) {
    if (depth < 1 || depth > image.height)
        return 0;
    return image.height / depth;
}

bool ImageLoader::sameLayout(const DecodedImage& a, const DecodedImage& b) {
    return a.width == b.width && a.height == b.height && a.channels == b.channels && a.format == b.format &&
           a.pixels.size() == b.pixels.size();
}

bool ImageLoader::concatenateLayers(const std::vector<DecodedImage>& layers, DecodedImage& out) {
    out = DecodedImage();
    if (layers.size() < 2)
        return false;
    const DecodedImage& first = layers.front();
    for (const DecodedImage& layer : layers) {
        if (!sameLayout(layer, first))
            return false;
    }
    out.width = first.width;
    out.height = first.height;
    out.channels = first.channels;
    out.format = first.format;
    out.pixels.reserve(first.pixels.size() * layers.size());
    for (const DecodedImage& layer : layers)
        out.pixels.insert(out.pixels.end(), layer.pixels.begin(), layer.pixels.end());
    return true;
}
