#include "render/Framebuffer.h"

#include "render/CodeTables.h"
#include "render/RenderBuffer.h"
#include "render/Texture1D.h"
#include "render/Texture2D.h"
#include "render/Texture3D.h"
#include "render/TextureCube.h"

namespace {

// Width and height of an attachable texture; 1D textures are one texel high.
void textureSize(const Texture& texture, int* width, int* height) {
    switch (texture.type()) {
    case 0:
        *width = static_cast<const Texture1D&>(texture).width(), *height = 1;
        return;
    case 2:
        *width = static_cast<const Texture2D&>(texture).width();
        *height = static_cast<const Texture2D&>(texture).height();
        return;
    case 3:
    case 6:
        *width = static_cast<const Texture3D&>(texture).width();
        *height = static_cast<const Texture3D&>(texture).height();
        return;
    case 7:
        *width = static_cast<const TextureCube&>(texture).width();
        *height = static_cast<const TextureCube&>(texture).height();
        return;
    case 8:
        *width = static_cast<const RenderBuffer&>(texture).width();
        *height = static_cast<const RenderBuffer&>(texture).height();
        return;
    }
    *width = *height = 0;
}

} // namespace

Framebuffer::Framebuffer() {
    for (int i = 0; i < kSlotCount; ++i)
        slots_[i].point = i;
}

Framebuffer::~Framebuffer() {
    if (glName_ != 0)
        destroyGL();
}

void Framebuffer::setAttachment(int point, const Ref<Texture>& texture, int level, int layer) {
    if (point < 0 || point >= kSlotCount)
        return;
    slots_[point].texture = texture;
    slots_[point].level = level;
    slots_[point].layer = layer;
}

bool Framebuffer::create() {
    // Targets are made while loading and when a part first draws, perhaps with the device's draw
    // framebuffer bound: both bindings are put back afterwards, or the device would go on drawing
    // into the back buffer while it believes its target bound.
    GLint draw = 0, read = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGenFramebuffers(1, &glName_);
    glBindFramebuffer(GL_FRAMEBUFFER, glName_);
    drawBufferCount_ = width_ = height_ = 0;
    for (const Attachment& slot : slots_) {
        if (!slot.texture)
            continue;
        const Texture& texture = *slot.texture;
        const GLenum point = codes::attachment(slot.point);
        const int type = texture.type();
        if (type == 0 || type == 2 || type == 3 || type == 6 || type == 7 || type == 8) {
            if (width_ == 0 || height_ == 0)
                textureSize(texture, &width_, &height_);
        }
        switch (type) {
        case 0:
            glFramebufferTexture1D(GL_DRAW_FRAMEBUFFER, point, GL_TEXTURE_1D, texture.glName(), slot.level);
            break;
        case 2:
            glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, point, GL_TEXTURE_2D, texture.glName(), slot.level);
            break;
        case 3:
            glFramebufferTextureLayer(GL_DRAW_FRAMEBUFFER, point, texture.glName(), slot.level, slot.layer);
            break;
        case 6:
            glFramebufferTexture3D(GL_DRAW_FRAMEBUFFER, point, GL_TEXTURE_3D, texture.glName(), slot.level,
                                   slot.layer);
            break;
        case 7:
            if (slot.layer < 0)
                glFramebufferTexture(GL_DRAW_FRAMEBUFFER, point, texture.glName(), slot.level);
            else
                glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, point, codes::cubeFace(slot.layer),
                                       texture.glName(), slot.level);
            break;
        case 8:
            glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, point, GL_RENDERBUFFER, texture.glName());
            break;
        default:
            break;
        }
        if (slot.point <= 7)
            drawBuffers_[drawBufferCount_++] = point;
    }
    if (drawBufferCount_ < 1) {
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
    }
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(draw));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read));
    if (status == GL_FRAMEBUFFER_COMPLETE)
        return true;
    glDeleteFramebuffers(1, &glName_);
    glName_ = 0;
    drawBufferCount_ = 0;
    return false;
}

void Framebuffer::destroyGL() {
    glDeleteFramebuffers(1, &glName_);
    glName_ = 0;
    drawBufferCount_ = 0;
    for (Attachment& slot : slots_) {
        slot.texture = nullptr;
        slot.level = 0;
        slot.layer = 0;
    }
}
