#pragma once

#include "render/Texture.h"

class Texture1D : public Texture {
public:
    Texture1D() : Texture(0) {}

    // Linear-filtered storage of `width` texels. A driver that refuses the storage leaves a GL error
    // (gl::takeError).
    void create(int width, int formatCode);
    // Level-0 upload of tightly packed texels in the texture's format; the texture must be bound.
    void upload(const void* texels) const;
    int width() const { return width_; }

private:
    int width_ = 0;
};
