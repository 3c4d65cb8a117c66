#include "render/Texture1D.h"

#include "render/CodeTables.h"

void Texture1D::create(int width, int formatCode) {
    width_ = width;
    setFormat(formatCode);
    TextureParams params = params_;
    params.minFilter = 1;
    generate(params);
    const codes::TextureFormat& f = codes::textureFormat(formatCode);
    glTexImage1D(GL_TEXTURE_1D, 0, GLint(f.internalFormat), width, 0, f.format, f.type, nullptr);
    VORNDLE_GL_CHECK("glTexImage1D");
    unbind();
}

void Texture1D::upload(const void* texels) const {
    const codes::TextureFormat& f = codes::textureFormat(format_);
    glTexImage1D(GL_TEXTURE_1D, 0, GLint(f.internalFormat), width_, 0, f.format, f.type, texels);
    VORNDLE_GL_CHECK("glTexImage1D");
}
