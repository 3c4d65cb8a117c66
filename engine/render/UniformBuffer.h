#pragma once

#include "render/BufferObject.h"

#include <string>

class Program;

// Storage for one uniform block, sized for three copies of it.
class UniformBuffer : public BufferObject {
public:
    UniformBuffer() : BufferObject(4) {}

    // A created, stream-draw buffer for the program's block, or null when the program has no
    // block of that name.
    [[nodiscard]] static Ref<UniformBuffer> createForBlock(const Program& program,
                                                           const std::string& blockName);

    int blockSize() const { return blockSize_; }
    int copyCount() const { return copyCount_; }
    int currentCopy() const { return currentCopy_; }
    void setBlockSize(int bytes) { blockSize_ = bytes; }

private:
    int blockSize_ = 0;
    int copyCount_ = 3;
    int currentCopy_ = 0;
};
