#include "render/RenderBuffer.h"

#include "render/CodeTables.h"

void RenderBuffer::create(int width, int height, int formatCode) {
    width_ = width;
    height_ = height;
    setFormat(formatCode);
    glGenRenderbuffers(1, &glName_);
    glBindRenderbuffer(GL_RENDERBUFFER, glName_);
    glRenderbufferStorage(GL_RENDERBUFFER, codes::textureFormat(formatCode).internalFormat, width, height);
    VORNDLE_GL_CHECK("glRenderbufferStorage");
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
}
