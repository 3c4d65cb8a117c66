#include "render/TextureBuffer.h"

void TextureBuffer::create(const Ref<BufferObject>& buffer) {
    buffer_ = buffer;
    setFormat(28);
    glGenTextures(1, &glName_);
    glBindTexture(GL_TEXTURE_BUFFER, glName_);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, buffer ? buffer->glName() : 0);
    glBindTexture(GL_TEXTURE_BUFFER, 0);
}
