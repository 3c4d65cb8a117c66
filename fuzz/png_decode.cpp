// PNG decoding over arbitrary bytes, plain and premultiplied.
#include "assets/PNGLoader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PNGLoader loader;
    // Small caps keep each run quick; the size checks are the same at any cap.
    loader.setLimits(2048, 16u << 20);
    loader.setPremultiply(size > 0 && (data[size - 1] & 1));
    DecodedImage image;
    if (loader.decode(data, size, image) && image.pixels.size() != image.rowBytes() * size_t(image.height))
        __builtin_trap();
    return 0;
}
