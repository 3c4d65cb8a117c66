// JPEG decoding over arbitrary bytes.
#include "assets/JPEGLoader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    JPEGLoader loader;
    loader.setLimits(2048, 16u << 20);
    DecodedImage image;
    if (loader.decode(data, size, image) && image.pixels.size() != image.rowBytes() * size_t(image.height))
        __builtin_trap();
    return 0;
}
