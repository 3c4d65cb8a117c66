#include "render/VertexBuffer.h"

bool VertexBuffer::addElement(int offset, int semantic, int components, int byteSize) {
    if (elementCount_ >= kMaxElements || offset < 0 || offset > stride_)
        return false;
    elements_[elementCount_++] = VertexElement{semantic, offset, components, byteSize};
    return true;
}
