#pragma once

#include "render/Texture.h"

// Six square faces, numbered +X, +Y, +Z, -X, -Y, -Z.
class TextureCube : public Texture {
public:
    TextureCube() : Texture(7) {}

    // Linear-filtered, edge-clamped storage for every face. A driver that refuses the storage leaves a GL
    // error (gl::takeError).
    void create(int width, int height, int formatCode);
    // Level-0 upload of face `face` (engine numbering); the texture must be bound.
    void uploadFace(int face, const void* pixels) const;

    // Face that image file "_c0k" of a cube map on disk holds (+X, -X, +Y, -Y, +Z, -Z order).
    static int faceOfFile(int fileIndex);

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_ = 0;
    int height_ = 0;
};
