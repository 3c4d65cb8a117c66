#include "render/Texture2D.h"

#include "render/CodeTables.h"

void Texture2D::create(int width, int height, int formatCode) {
    width_ = width;
    height_ = height;
    setFormat(formatCode);
    TextureParams params = params_;
    params.minFilter = 1;
    if (codes::isFixedPointDepthFormat(formatCode))
        params.compare = true;
    generate(params);
    if (codes::isUncompressedFormat(formatCode)) {
        const codes::TextureFormat& f = codes::textureFormat(formatCode);
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(f.internalFormat), width, height, 0, f.format, f.type, nullptr);
        VORNDLE_GL_CHECK("glTexImage2D");
    }
    unbind();
}

void Texture2D::upload(const void* pixels) const {
    uploadLevel(0, width_, height_, pixels);
}

void Texture2D::uploadLevel(int level, int width, int height, const void* pixels) const {
    const codes::TextureFormat& f = codes::textureFormat(format_);
    glTexImage2D(GL_TEXTURE_2D, level, GLint(f.internalFormat), width, height, 0, f.format, f.type, pixels);
    VORNDLE_GL_CHECK("glTexImage2D");
}
