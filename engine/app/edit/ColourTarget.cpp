#include "app/edit/ColourTarget.h"

#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Texture2D.h"

ColourTarget::ColourTarget() = default;
ColourTarget::~ColourTarget() = default;

bool ColourTarget::fits(int width, int height) const {
    return framebuffer_ && texture_->width() == width && texture_->height() == height;
}

bool ColourTarget::fit(int width, int height, const char* format) {
    if (fits(width, height))
        return true;
    texture_ = makeRef<Texture2D>();
    texture_->create(width, height, codes::formatCode(format));
    framebuffer_ = makeRef<Framebuffer>();
    framebuffer_->setAttachment(0, texture_, 0, 0);
    if (framebuffer_->create())
        return true;
    framebuffer_ = nullptr;
    return false;
}

GLuint ColourTarget::framebuffer() const {
    return framebuffer_ ? framebuffer_->glName() : 0;
}

GLuint ColourTarget::texture() const {
    return texture_ ? texture_->glName() : 0;
}

void copyRectangle(Device& device, GLuint from, GLuint to, const int source[4], const int target[4]) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    glBlitFramebuffer(source[0], source[1], source[2], source[3], target[0], target[1], target[2], target[3],
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, device.framebuffer() ? device.framebuffer()->glName() : 0);
}
