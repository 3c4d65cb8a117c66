#include "core/OutputStream.h"

#include <cstring>

bool OutputStream::write(const void* src, size_t size) {
    if (failed_)
        return false;
    if (size && !writeRaw(src, size))
        failed_ = true;
    return !failed_;
}

bool OutputStream::writeUInt16(uint16_t v) {
    unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    return write(b, 2);
}

bool OutputStream::writeUInt32(uint32_t v) {
    unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                          static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    return write(b, 4);
}

bool OutputStream::writeFloat(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return writeUInt32(u);
}
