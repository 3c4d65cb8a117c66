#pragma once

#include "render/BufferObject.h"

// One element of an interleaved vertex: which semantic it feeds and where it sits in the vertex.
struct VertexElement {
    int semantic = 7;
    int offset = 0;
    int components = 0;
    int byteSize = 0;
};

// Interleaved vertex data described by up to seven elements, matched by semantic name against the
// attributes of the program it is drawn with.
class VertexBuffer : public BufferObject {
public:
    static constexpr int kMaxElements = 7;

    VertexBuffer() : BufferObject(0) {}

    // Refused (false, nothing stored) when full, when the offset is negative or beyond the stride.
    bool addElement(int offset, int semantic, int components, int byteSize);

    void setStride(int stride) { stride_ = stride; }
    int stride() const { return stride_; }
    void setVertexCount(int count) { vertexCount_ = count; }
    int vertexCount() const { return vertexCount_; }
    int elementCount() const { return elementCount_; }
    const VertexElement& element(int i) const { return elements_[i]; }

private:
    VertexElement elements_[kMaxElements];
    int elementCount_ = 0;
    int stride_ = 0;
    int vertexCount_ = 0;
};
