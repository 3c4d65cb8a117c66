#pragma once

#include "render/Texture.h"

// A volume texture; Texture2DArray reuses it with layers in place of depth.
class Texture3D : public Texture {
public:
    Texture3D() : Texture(6) {}

    // Nearest-filtered storage. A driver that refuses the storage leaves a GL error (gl::takeError).
    void create(int width, int height, int depth, int formatCode);
    // Level-0 upload of the whole volume; the texture must be bound.
    void upload(const void* pixels) const;

    int width() const { return width_; }
    int height() const { return height_; }
    int depth() const { return depth_; }

protected:
    explicit Texture3D(int type) : Texture(type) {}

    int width_ = 0;
    int height_ = 0;
    int depth_ = 0;
};
