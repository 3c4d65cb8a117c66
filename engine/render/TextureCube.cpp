#include "render/TextureCube.h"

#include "render/CodeTables.h"

void TextureCube::create(int width, int height, int formatCode) {
    width_ = width;
    height_ = height;
    setFormat(formatCode);
    TextureParams params = params_;
    params.minFilter = 1;
    params.wrapS = params.wrapT = params.wrapR = 0;
    generate(params);
    if (codes::isUncompressedFormat(formatCode))
        for (int face = 0; face < 6; ++face)
            uploadFace(face, nullptr);
    unbind();
}

void TextureCube::uploadFace(int face, const void* pixels) const {
    const codes::TextureFormat& f = codes::textureFormat(format_);
    glTexImage2D(codes::cubeFace(face), 0, GLint(f.internalFormat), width_, height_, 0, f.format, f.type,
                 pixels);
    VORNDLE_GL_CHECK("glTexImage2D");
}

int TextureCube::faceOfFile(int fileIndex) {
    static constexpr int kFaces[6] = {0, 3, 1, 4, 2, 5};
    return fileIndex >= 0 && fileIndex < 6 ? kFaces[fileIndex] : 0;
}
