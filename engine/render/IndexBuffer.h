#pragma once

#include "render/BufferObject.h"

// Element indices, 16-bit (index size 2) or 32-bit (4).
class IndexBuffer : public BufferObject {
public:
    IndexBuffer() : BufferObject(1) {}

    void setIndexSize(int bytes) { indexSize_ = bytes; }
    int indexSize() const { return indexSize_; }

private:
    int indexSize_ = 2;
};
