#include "core/MemoryInputStream.h"

#include <cstring>

MemoryInputStream::MemoryInputStream(const void* data, size_t size, std::string name)
    : InputStream(std::move(name)), data_(static_cast<const unsigned char*>(data)), size_(data ? size : 0) {}

size_t MemoryInputStream::readRaw(void* dst, size_t size) {
    size_t left = size_ - offset_;
    size_t n = size < left ? size : left;
    if (n)
        std::memcpy(dst, data_ + offset_, n);
    offset_ += n;
    return n;
}
