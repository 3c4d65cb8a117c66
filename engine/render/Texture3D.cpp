#include "render/Texture3D.h"

#include "render/CodeTables.h"

void Texture3D::create(int width, int height, int depth, int formatCode) {
    width_ = width;
    height_ = height;
    depth_ = depth;
    setFormat(formatCode);
    TextureParams params = params_;
    params.magFilter = 0;
    params.minFilter = 0;
    generate(params);
    const codes::TextureFormat& f = codes::textureFormat(formatCode);
    glTexImage3D(glTarget(), 0, GLint(f.internalFormat), width, height, depth, 0, f.format, f.type, nullptr);
    VORNDLE_GL_CHECK("glTexImage3D");
    unbind();
}

void Texture3D::upload(const void* pixels) const {
    const codes::TextureFormat& f = codes::textureFormat(format_);
    glTexImage3D(glTarget(), 0, GLint(f.internalFormat), width_, height_, depth_, 0, f.format, f.type,
                 pixels);
    VORNDLE_GL_CHECK("glTexImage3D");
}
