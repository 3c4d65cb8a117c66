#include "core/MemoryOutputStream.h"

bool MemoryOutputStream::writeRaw(const void* src, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(src);
    bytes_.insert(bytes_.end(), p, p + size);
    return true;
}
