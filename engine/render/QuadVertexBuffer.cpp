#include "render/QuadVertexBuffer.h"

#include "render/CodeTables.h"
#include "render/VertexBuffer.h"

Ref<VertexBuffer> createQuadVertexBuffer() {
    static const float quad[8] = {1, 1, 0, 1, 1, 0, 0, 0};
    Ref<VertexBuffer> buffer = makeRef<VertexBuffer>();
    buffer->create();
    buffer->bind();
    buffer->setData(codes::kUsageStaticDraw, sizeof quad, quad);
    buffer->unbind();
    buffer->addElement(0, codes::kSemanticPosition, 2, 8);
    buffer->setStride(8);
    buffer->setVertexCount(4);
    return buffer;
}
