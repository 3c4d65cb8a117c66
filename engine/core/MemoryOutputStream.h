#pragma once

#include "core/OutputStream.h"

#include <vector>

// Collects written bytes in memory.
class MemoryOutputStream : public OutputStream {
public:
    explicit MemoryOutputStream(std::string name = "<memory>") : OutputStream(std::move(name)) {}

    const std::vector<unsigned char>& bytes() const { return bytes_; }

protected:
    bool writeRaw(const void* src, size_t size) override;

private:
    std::vector<unsigned char> bytes_;
};
