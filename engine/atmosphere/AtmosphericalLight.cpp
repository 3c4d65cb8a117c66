#include "atmosphere/AtmosphericalLight.h"

#include "render/Program.h"

#include <string>

namespace {

constexpr int kUsageDynamicDraw = 6;

} // namespace

bool AtmosphericalLight::attach(const Program& program, const Ref<AtmosphereModel>& atmosphere) {
    const UniformBlockInfo* block = program.findUniformBlock("AtmosphereModel");
    if (!block || !atmosphere)
        return false;
    Ref<UniformBuffer> buffer = makeRef<UniformBuffer>();
    buffer->setBlockSize(block->dataSize);
    buffer->create();
    buffer->bind();
    buffer->setData(kUsageDynamicDraw, GLsizeiptr(buffer->copyCount()) * block->dataSize, nullptr);
    buffer->unbind();
    uniformBuffer = buffer;
    model = atmosphere;
    // GL names members of a block with an instance name after the block.
    for (int i = 0; i < AtmosphereModel::kBlockMembers; ++i) {
        const std::string name = AtmosphereModel::kBlockMemberNames[i];
        const UniformInfo* info = program.findUniform(name);
        if (!info || info->blockIndex != block->index)
            info = program.findUniform("AtmosphereModel." + name);
        model->blockOffsets[i] = info && info->blockIndex == block->index ? info->location / 4 : -1;
    }
    model->upload(*uniformBuffer);
    return true;
}
