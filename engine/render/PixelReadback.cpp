#include "render/PixelReadback.h"

#include "core/Contract.h"

PixelReadback::PixelReadback(int width, int height, int depth)
    : width_(width), height_(height), depth_(depth < 1           ? 1
                                             : depth > kMaxDepth ? kMaxDepth
                                                                 : depth) {
    if (width_ <= 0 || height_ <= 0)
        return;
    glGenBuffers(depth_, buffers_);
    for (int i = 0; i < depth_; ++i) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[i]);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(frameBytes()), nullptr, GL_STREAM_READ);
        VORNDLE_GL_CHECK("glBufferData");
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    valid_ = gl::takeError() == GL_NO_ERROR;
}

PixelReadback::~PixelReadback() {
    if (mapped_)
        releaseOldest();
    for (GLsync& fence : fences_) {
        if (fence)
            glDeleteSync(fence);
        fence = nullptr;
    }
    if (buffers_[0])
        glDeleteBuffers(depth_, buffers_);
}

void PixelReadback::start() {
    VORNDLE_EXPECTS(!full() && !mapped_, "a free slot and no frame mapped");
    const int slot = (oldest_ + pending_) % depth_;
    GLint readFramebuffer = 0, readBuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[slot]);
    // With a pack buffer bound the last argument is an offset into it: the call returns at once.
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    fences_[slot] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    if (readFramebuffer == 0)
        glReadBuffer(static_cast<GLenum>(readBuffer));
    ++pending_;
}

const uint8_t* PixelReadback::mapOldest() {
    VORNDLE_EXPECTS(pending_ > 0 && !mapped_, "a read started and no frame mapped");
    GLsync& fence = fences_[oldest_];
    if (fence) {
        // By now the read is normally long done; the flush bit makes sure a wait cannot hang on
        // commands never sent to the GPU.
        for (int tries = 0; tries < 10; ++tries)
            if (glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000) != GL_TIMEOUT_EXPIRED)
                break;
        glDeleteSync(fence);
        fence = nullptr;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[oldest_]);
    const void* pixels =
        glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(frameBytes()), GL_MAP_READ_BIT);
    VORNDLE_GL_CHECK("glMapBufferRange");
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    mapped_ = pixels != nullptr;
    if (!pixels) {
        // The frame is lost either way; the slot is free again.
        oldest_ = (oldest_ + 1) % depth_;
        --pending_;
    }
    return static_cast<const uint8_t*>(pixels);
}

void PixelReadback::releaseOldest() {
    VORNDLE_EXPECTS(mapped_, "a frame mapped");
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[oldest_]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    mapped_ = false;
    oldest_ = (oldest_ + 1) % depth_;
    --pending_;
}
