#include "render/Texture.h"

#include "render/CodeTables.h"

#include <algorithm>

namespace {

// Default swizzles per format class: R,G,B,A codes (0 red, 1 green, 2 blue, 3 alpha, 4 one).
bool defaultSwizzle(int format, int out[4]) {
    static constexpr int kSingle[4] = {0, 0, 0, 4}, kDouble[4] = {0, 0, 0, 1}, kRgb[4] = {0, 1, 2, 4},
                         kRgba[4] = {0, 1, 2, 3}, kDepth[4] = {0, 0, 0, 0};
    using namespace codes;
    const int* from = format < 0                          ? nullptr
                      : format <= kLastOneChannelFormat   ? kSingle
                      : format <= kLastTwoChannelFormat   ? kDouble
                      : format <= kLastRgbFormat          ? kRgb
                      : format <= kLastRgbaFormat         ? kRgba
                      : format <= kLastUncompressedFormat ? kDepth
                                                          : nullptr;
    if (!from)
        return false;
    std::copy(from, from + 4, out);
    return true;
}

} // namespace

Texture::~Texture() {
    if (glName_ == 0)
        return;
    if (type_ == 8)
        glDeleteRenderbuffers(1, &glName_);
    else
        glDeleteTextures(1, &glName_);
}

GLenum Texture::glTarget() const {
    return codes::textureTarget(type_);
}

void Texture::setFormat(int formatCode) {
    format_ = formatCode;
    defaultSwizzle(formatCode, params_.swizzle);
}

void Texture::bind() const {
    glBindTexture(glTarget(), glName_);
}

void Texture::unbind() const {
    glBindTexture(glTarget(), 0);
}

void Texture::applyParams(const TextureParams& record) {
    if (type_ == 8)
        return;
    const GLenum target = glTarget();
    auto sendIfChanged = [target](int& cached, int wanted, GLenum pname, GLenum value) {
        if (cached != wanted) {
            glTexParameteri(target, pname, GLint(value));
            cached = wanted;
        }
    };
    sendIfChanged(params_.magFilter, record.magFilter, GL_TEXTURE_MAG_FILTER,
                  codes::filter(record.magFilter));
    sendIfChanged(params_.minFilter, record.minFilter, GL_TEXTURE_MIN_FILTER,
                  codes::filter(record.minFilter));
    sendIfChanged(params_.wrapS, record.wrapS, GL_TEXTURE_WRAP_S, codes::wrap(record.wrapS));
    sendIfChanged(params_.wrapT, record.wrapT, GL_TEXTURE_WRAP_T, codes::wrap(record.wrapT));
    sendIfChanged(params_.wrapR, record.wrapR, GL_TEXTURE_WRAP_R, codes::wrap(record.wrapR));
    if (format_ <= codes::kLastUncompressedFormat) {
        static constexpr GLenum kSwizzleNames[4] = {GL_TEXTURE_SWIZZLE_R, GL_TEXTURE_SWIZZLE_G,
                                                    GL_TEXTURE_SWIZZLE_B, GL_TEXTURE_SWIZZLE_A};
        for (int i = 0; i < 4; ++i) {
            glTexParameteri(target, kSwizzleNames[i], GLint(codes::swizzle(record.swizzle[i])));
            params_.swizzle[i] = record.swizzle[i];
        }
    }
    if (codes::isDepthFormat(format_)) {
        static constexpr GLfloat kWhite[4] = {1, 1, 1, 1};
        glTexParameterfv(target, GL_TEXTURE_BORDER_COLOR, kWhite);
        glTexParameteri(target, GL_TEXTURE_COMPARE_MODE,
                        record.compare ? GL_COMPARE_REF_TO_TEXTURE : GL_NONE);
        if (record.compare)
            glTexParameteri(target, GL_TEXTURE_COMPARE_FUNC, GL_LESS);
        params_.compare = record.compare;
    }
}

void Texture::setAnisotropy(float value, float deviceMaximum) {
    if (type_ != 2 || !(value > 1.0f))
        return;
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::min(value, deviceMaximum));
}

void Texture::generateMipmap() const {
    glGenerateMipmap(glTarget());
}

void Texture::generate(const TextureParams& params) {
    glGenTextures(1, &glName_);
    bind();
    applyParams(params);
}
