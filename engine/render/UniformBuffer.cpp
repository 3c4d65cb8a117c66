#include "render/UniformBuffer.h"

#include "render/Program.h"

Ref<UniformBuffer> UniformBuffer::createForBlock(const Program& program, const std::string& blockName) {
    const UniformBlockInfo* block = program.findUniformBlock(blockName);
    if (!block)
        return nullptr;
    Ref<UniformBuffer> buffer = makeRef<UniformBuffer>();
    buffer->blockSize_ = block->dataSize;
    buffer->create();
    buffer->bind();
    buffer->setData(0, GLsizeiptr(buffer->copyCount_) * buffer->blockSize_, nullptr);
    buffer->unbind();
    return buffer;
}
