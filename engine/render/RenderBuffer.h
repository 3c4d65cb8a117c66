#pragma once

#include "render/Texture.h"

// A render buffer: an attachable image that is never sampled, so it has no parameters.
class RenderBuffer : public Texture {
public:
    RenderBuffer() : Texture(8) {}

    void create(int width, int height, int formatCode);
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_ = 0;
    int height_ = 0;
};
