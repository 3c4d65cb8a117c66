#include "assets/ImageLoader.h"
#include "assets/Mipmaps.h"
#include "assets/TextureBuilders.h"
#include "core/Diagnostics.h"
#include "render/CodeTables.h"
#include "render/Texture1D.h"
#include "render/Texture2D.h"
#include "render/Texture3D.h"

UnpackAlignment::UnpackAlignment() {
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous_);
    if (previous_ != 1)
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

UnpackAlignment::~UnpackAlignment() {
    if (previous_ != 1)
        glPixelStorei(GL_UNPACK_ALIGNMENT, previous_);
}

bool withinGlLimit(GLenum limit, int64_t a, int64_t b, GLint* most) {
    GLint value = 0;
    glGetIntegerv(limit, &value);
    if (most)
        *most = value;
    return a >= 1 && b >= 1 && a <= value && b <= value;
}

bool textureSizeSupported(GLenum limit, int64_t a, int64_t b, const std::string& source) {
    GLint most = 0;
    if (withinGlLimit(limit, a, b, &most))
        return true;
    diagnostic(source.c_str(), "texture", "%lld x %lld is beyond this GL's limit of %d", (long long)a,
               (long long)b, most);
    return false;
}

Ref<Texture> ImageLoader::textureFromImage(const DecodedImage& image, const std::string& source) {
    const codes::TextureFormat& f = codes::textureFormat(image.format);
    if (image.pixels.size() < image.rowBytes() * size_t(image.height) || f.components != image.channels) {
        diagnostic(source.c_str(), "texture", "the decoded pixels do not match their layout");
        return nullptr;
    }
    if (!textureSizeSupported(GL_MAX_TEXTURE_SIZE, image.width, image.height, source))
        return nullptr;
    UnpackAlignment alignment;
    if (image.height < 2) {
        Ref<Texture1D> texture = makeRef<Texture1D>();
        texture->create(image.width, image.format);
        texture->bind();
        glTexImage1D(GL_TEXTURE_1D, 0, GLint(f.internalFormat), image.width, 0, f.format, f.type,
                     image.pixels.data());
        VORNDLE_GL_CHECK("glTexImage1D");
        texture->unbind();
        return texture;
    }
    Ref<Texture2D> texture = makeRef<Texture2D>();
    texture->create(image.width, image.height, image.format);
    texture->bind();
    texture->upload(image.pixels.data());
    texture->unbind();
    return texture;
}

Ref<Texture3D> ImageLoader::volumeFromImage(const DecodedImage& image, int depth, const std::string& source) {
    const codes::TextureFormat& f = codes::textureFormat(image.format);
    if (image.pixels.size() < image.rowBytes() * size_t(image.height) || f.components != image.channels) {
        diagnostic(source.c_str(), "volume", "the decoded pixels do not match their layout");
        return nullptr;
    }
    int32_t sliceHeight = volumeSliceHeight(image, depth);
    if (sliceHeight == 0) {
        diagnostic(source.c_str(), "volume", "a picture %d rows high cannot hold %d slices", image.height,
                   depth);
        return nullptr;
    }
    if (!textureSizeSupported(GL_MAX_3D_TEXTURE_SIZE, image.width, sliceHeight, source) ||
        !textureSizeSupported(GL_MAX_3D_TEXTURE_SIZE, depth, 1, source))
        return nullptr;
    UnpackAlignment alignment;
    Ref<Texture3D> texture = makeRef<Texture3D>();
    texture->create(image.width, sliceHeight, depth, image.format);
    texture->bind();
    // Slices are consecutive blocks of rows, so the pixels are already laid out as a volume; rows
    // left over by an uneven split sit at the end and are not read.
    texture->upload(image.pixels.data());
    texture->unbind();
    return texture;
}

void ImageLoader::uploadMipmaps(const Texture2D& texture, const DecodedImage& base) {
    UnpackAlignment alignment;
    DecodedImage levels[2];
    const DecodedImage* above = &base;
    const int count = mipmapLevelCount(base.width, base.height);
    for (int level = 1; level < count; ++level) {
        DecodedImage& below = levels[level % 2];
        halveImage(*above, below);
        texture.uploadLevel(level, below.width, below.height, below.pixels.data());
        above = &below;
    }
}
