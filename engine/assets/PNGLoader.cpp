#include "assets/PNGLoader.h"

#include "core/Diagnostics.h"
#include "core/FileInputStream.h"
#include "core/MemoryInputStream.h"
#include "core/Paths.h"
#include "render/Texture.h"
#include "render/Texture3D.h"

#include <png.h>

#include <cstring>

namespace {

struct PngContext {
    InputStream* in = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    DecodedImage* out = nullptr;
    std::vector<png_bytep> rows;
    const ImageLoader* limits = nullptr;
    char message[160] = "";
};

void readFromStream(png_structp png, png_bytep data, size_t length) {
    PngContext* ctx = static_cast<PngContext*>(png_get_io_ptr(png));
    if (!ctx->in->read(data, length))
        png_error(png, "unexpected end of data");
}

void onError(png_structp png, png_const_charp message) {
    PngContext* ctx = static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void premultiplyRows(DecodedImage& image) {
    uint8_t* p = image.pixels.data();
    size_t pixels = size_t(image.width) * size_t(image.height);
    if (image.channels == 4) {
        for (size_t i = 0; i < pixels; ++i, p += 4) {
            unsigned a = p[3];
            p[0] = uint8_t((p[0] * a) >> 8);
            p[1] = uint8_t((p[1] * a) >> 8);
            p[2] = uint8_t((p[2] * a) >> 8);
        }
    } else if (image.channels == 2) {
        for (size_t i = 0; i < pixels; ++i, p += 2)
            p[0] = uint8_t((p[0] * unsigned(p[1])) >> 8);
    }
}

// Everything between setjmp and a possible longjmp lives in `ctx`, never in locals of this frame,
// so nothing with a destructor is skipped and no modified local is read after the jump.
bool runLibpng(PngContext& ctx) {
    if (setjmp(png_jmpbuf(ctx.png)))
        return false;
    png_set_read_fn(ctx.png, &ctx, readFromStream);
    png_set_user_limits(ctx.png, png_uint_32(ctx.limits->maxDimension()),
                        png_uint_32(ctx.limits->maxDimension()));
    png_read_info(ctx.png, ctx.info);

    int colorType = png_get_color_type(ctx.png, ctx.info);
    int bitDepth = png_get_bit_depth(ctx.png, ctx.info);
    if (colorType == PNG_COLOR_TYPE_PALETTE && bitDepth <= 8)
        png_set_palette_to_rgb(ctx.png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(ctx.png);
    if (png_get_valid(ctx.png, ctx.info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(ctx.png);
    if (bitDepth == 16)
        png_set_strip_16(ctx.png);
    png_set_interlace_handling(ctx.png);
    png_read_update_info(ctx.png, ctx.info);

    png_uint_32 width = png_get_image_width(ctx.png, ctx.info);
    png_uint_32 height = png_get_image_height(ctx.png, ctx.info);
    int channels = png_get_channels(ctx.png, ctx.info);
    size_t rowBytes = png_get_rowbytes(ctx.png, ctx.info);
    if (!ctx.limits->sizeAcceptable(width, height, uint64_t(channels)))
        png_error(ctx.png, "image dimensions out of range");
    if (rowBytes != size_t(width) * size_t(channels))
        png_error(ctx.png, "unexpected row layout");

    DecodedImage& out = *ctx.out;
    out.width = int32_t(width);
    out.height = int32_t(height);
    out.channels = channels;
    switch (channels) {
    case 4:
        out.format = ImageLoader::formatRGBA8;
        break;
    case 2:
        out.format = ImageLoader::formatRG8;
        break;
    case 1:
        out.format = ImageLoader::formatR8;
        break;
    default:
        out.format = ImageLoader::formatRGB8;
        break;
    }
    out.pixels.resize(rowBytes * height);
    ctx.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        ctx.rows[y] = out.pixels.data() + size_t(height - 1 - y) * rowBytes;
    png_read_image(ctx.png, ctx.rows.data());
    return true;
}

} // namespace

bool PNGLoader::decode(const std::string& path, DecodedImage& out) {
    out = DecodedImage();
    // A folder opens for reading on Linux and fails later with a decoder's puzzling message.
    if (std::string why = unreadableFileReason(path); !why.empty()) {
        diagnostic(path.c_str(), "open", "%s", why.c_str());
        return false;
    }
    FileInputStream in(path);
    if (!in.isOpen()) {
        diagnostic(path.c_str(), "open", "cannot open the file");
        return false;
    }
    return decode(in, out);
}

bool PNGLoader::decode(const void* data, size_t size, DecodedImage& out) {
    MemoryInputStream in(data, size);
    return decode(in, out);
}

bool PNGLoader::decode(InputStream& in, DecodedImage& out) {
    out = DecodedImage();
    PngContext ctx;
    ctx.in = &in;
    ctx.out = &out;
    ctx.limits = this;
    ctx.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, onError, onWarning);
    if (ctx.png)
        ctx.info = png_create_info_struct(ctx.png);
    if (!ctx.png || !ctx.info) {
        png_destroy_read_struct(&ctx.png, nullptr, nullptr);
        diagnostic(in.name().c_str(), "png", "out of memory");
        return false;
    }
    bool ok = runLibpng(ctx);
    png_destroy_read_struct(&ctx.png, &ctx.info, nullptr);
    if (!ok) {
        out = DecodedImage();
        diagnostic(in.name().c_str(), "png", "%s", ctx.message[0] ? ctx.message : "cannot decode");
        return false;
    }
    if (premultiply_)
        premultiplyRows(out);
    return true;
}

Ref<Texture> PNGLoader::load(const std::string& path) {
    DecodedImage image;
    if (!decode(path, image))
        return nullptr;
    return textureFromImage(image, path);
}

Ref<Texture> PNGLoader::loadFromStream(InputStream& in) {
    DecodedImage image;
    if (!decode(in, image))
        return nullptr;
    return textureFromImage(image, in.name());
}

Ref<Texture> PNGLoader::loadFromMemory(const void* data, size_t size) {
    MemoryInputStream in(data, size);
    return loadFromStream(in);
}

Ref<Texture3D> PNGLoader::loadVolume(const std::string& path, int depth) {
    DecodedImage image;
    if (!decode(path, image))
        return nullptr;
    return volumeFromImage(image, depth, path);
}
