#pragma once

#include "core/InputStream.h"

// Reads from a caller-owned block of memory that must outlive the stream.
class MemoryInputStream : public InputStream {
public:
    MemoryInputStream(const void* data, size_t size, std::string name = "<memory>");

    int64_t remaining() const override { return static_cast<int64_t>(size_ - offset_); }

protected:
    size_t readRaw(void* dst, size_t size) override;

private:
    const unsigned char* data_;
    size_t size_;
    size_t offset_ = 0;
};
