#include "render/QuadVertexBuffer.h"

#include "render/VertexBuffer.h"

Ref<VertexBuffer> createQuadVertexBuffer() {
    constexpr int staticDraw = 3;
    constexpr int semanticPosition = 0;
    static const float quad[8] = {1, 1, 0, 1, 1, 0, 0, 0};
    Ref<VertexBuffer> buffer = makeRef<VertexBuffer>();
    buffer->create();
    buffer->bind();
    buffer->setData(staticDraw, sizeof quad, quad);
    buffer->unbind();
    buffer->addElement(0, semanticPosition, 2, 8);
    buffer->setStride(8);
    buffer->setVertexCount(4);
    return buffer;
}
