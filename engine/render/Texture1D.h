#pragma once

#include "render/Texture.h"

class Texture1D : public Texture {
public:
    Texture1D() : Texture(0) {}

    // Linear-filtered storage of `width` texels; answers true.
    bool create(int width, int formatCode);
    int width() const { return width_; }

private:
    int width_ = 0;
};
