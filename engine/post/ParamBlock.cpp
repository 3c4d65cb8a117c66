#include "post/ParamBlock.h"

#include "core/InputStream.h"
#include "core/OutputStream.h"

#include <cmath>
#include <cstring>

namespace param_block {

bool readMagic(InputStream& in, const char* magic) {
    char bytes[4];
    return in.read(bytes, 4) && std::memcmp(bytes, magic, 4) == 0;
}

bool writeMagic(OutputStream& out, const char* magic) {
    return out.write(magic, 4);
}

bool readFloats(InputStream& in, float* values, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (!in.readFloat(values[i]) || !std::isfinite(values[i]))
            return false;
    return true;
}

bool writeFloats(OutputStream& out, const float* values, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (!out.writeFloat(values[i]))
            return false;
    return true;
}

} // namespace param_block
