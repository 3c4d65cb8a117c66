#pragma once

#include "render/Texture.h"

class Texture2D : public Texture {
public:
    // The type() of every Texture2D.
    static constexpr int kType = 2;

    Texture2D() : Texture(kType) {}

    // Linear-filtered storage; fixed-point depth formats get depth comparison. Compressed formats
    // get a name and parameters but no storage. A refusal leaves a GL error (gl::takeError).
    void create(int width, int height, int formatCode);
    // Level-0 upload of tightly packed pixels in the texture's format; the texture must be bound.
    void upload(const void* pixels) const;
    // Upload of one mipmap level, `width` x `height` as GL sizes that level; the texture must be
    // bound.
    void uploadLevel(int level, int width, int height, const void* pixels) const;

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_ = 0;
    int height_ = 0;
};
