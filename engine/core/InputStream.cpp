#include "core/InputStream.h"

#include <cstring>

bool InputStream::read(void* dst, size_t size) {
    if (failed_)
        return false;
    size_t got = size ? readRaw(dst, size) : 0;
    position_ += got;
    if (got != size) {
        failed_ = true;
        return false;
    }
    return true;
}

bool InputStream::skip(size_t size) {
    unsigned char buffer[4096];
    while (size > 0) {
        size_t chunk = size < sizeof buffer ? size : sizeof buffer;
        if (!read(buffer, chunk))
            return false;
        size -= chunk;
    }
    return true;
}

bool InputStream::canHold(uint64_t count, uint64_t itemSize) const {
    int64_t left = remaining();
    if (left < 0)
        return true;
    if (itemSize == 0)
        return true;
    return count <= static_cast<uint64_t>(left) / itemSize;
}

bool InputStream::readUInt16(uint16_t& v) {
    unsigned char b[2];
    if (!read(b, 2))
        return false;
    v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool InputStream::readUInt32(uint32_t& v) {
    unsigned char b[4];
    if (!read(b, 4))
        return false;
    v = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
}

bool InputStream::readInt32(int32_t& v) {
    uint32_t u;
    if (!readUInt32(u))
        return false;
    v = static_cast<int32_t>(u);
    return true;
}

bool InputStream::readFloat(float& v) {
    uint32_t u;
    if (!readUInt32(u))
        return false;
    std::memcpy(&v, &u, 4);
    return true;
}
