#pragma once

#include "render/Gl.h"

#include <cstddef>
#include <cstdint>

// Reads frames of the window's back buffer back to memory through a ring of pixel pack buffers:
// a read is started right after a frame is drawn and its pixels are taken a few frames later, so
// the copy overlaps the drawing of the next frames and neither side waits for the other. Pixels
// are BGRA, 8 bits each, bottom row first: the window's own order, which the driver copies without
// converting (software drivers spend a quarter of a frame's time swizzling to RGBA). Owns its GL
// names; not copyable.
class PixelReadback {
public:
    static constexpr int kMaxDepth = 8;

    // `depth` frames may be in flight at once (1 to kMaxDepth).
    PixelReadback(int width, int height, int depth);
    ~PixelReadback();
    PixelReadback(const PixelReadback&) = delete;
    PixelReadback& operator=(const PixelReadback&) = delete;

    // False when the buffers could not be made.
    bool valid() const { return valid_; }
    int width() const { return width_; }
    int height() const { return height_; }
    size_t frameBytes() const { return static_cast<size_t>(width_) * height_ * 4; }

    int pending() const { return pending_; }
    bool full() const { return pending_ == depth_; }
    // Starts reading the back buffer into the next free buffer; the ring must not be full.
    void start();
    // The pixels of the oldest read, waiting for it if it is not done yet; null if the buffer
    // cannot be mapped. Must be released before the next start.
    const uint8_t* mapOldest();
    void releaseOldest();

private:
    int width_, height_, depth_;
    bool valid_ = false;
    GLuint buffers_[kMaxDepth] = {};
    GLsync fences_[kMaxDepth] = {};
    int oldest_ = 0;
    int pending_ = 0;
    bool mapped_ = false;
};
