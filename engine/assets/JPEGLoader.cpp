#include "assets/JPEGLoader.h"

#include "core/Diagnostics.h"
#include "core/InputStream.h"
#include "core/Paths.h"
#include "render/Texture.h"
#include "render/Texture3D.h"

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE declared first, and jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

namespace {

// Progressive files may hold any number of scans; each costs a pass over the coefficients.
constexpr int maxScans = 1000;

struct JpegContext {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = "";
    std::FILE* file = nullptr;
    const void* data = nullptr;
    size_t size = 0;
    DecodedImage* out = nullptr;
    const ImageLoader* limits = nullptr;
};

void onError(j_common_ptr cinfo) {
    JpegContext* ctx = static_cast<JpegContext*>(cinfo->client_data);
    cinfo->err->format_message(cinfo, ctx->message);
    std::longjmp(ctx->jump, 1);
}

// Warnings are silent, except a file that ends early: libjpeg would fill the rest with grey and
// report success.
void onMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        cinfo->err->error_exit(cinfo);
}

void onProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > maxScans) {
        JpegContext* ctx = static_cast<JpegContext*>(cinfo->client_data);
        std::snprintf(ctx->message, sizeof ctx->message, "more than %d scans", maxScans);
        std::longjmp(ctx->jump, 1);
    }
}

bool runLibjpeg(JpegContext& ctx) {
    ctx.cinfo.err = jpeg_std_error(&ctx.errors);
    ctx.errors.error_exit = onError;
    ctx.errors.emit_message = onMessage;
    ctx.cinfo.client_data = &ctx;
    if (setjmp(ctx.jump)) {
        jpeg_destroy_decompress(&ctx.cinfo);
        return false;
    }
    jpeg_create_decompress(&ctx.cinfo);
    ctx.progress.progress_monitor = onProgress;
    ctx.cinfo.progress = &ctx.progress;
    if (ctx.file)
        jpeg_stdio_src(&ctx.cinfo, ctx.file);
    else
        jpeg_mem_src(&ctx.cinfo, static_cast<const unsigned char*>(ctx.data),
                     static_cast<unsigned long>(ctx.size));
    jpeg_read_header(&ctx.cinfo, TRUE);
    ctx.cinfo.out_color_space = ctx.cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    if (!ctx.limits->sizeAcceptable(ctx.cinfo.image_width, ctx.cinfo.image_height,
                                    ctx.cinfo.num_components == 1 ? 1 : 3)) {
        std::snprintf(ctx.message, sizeof ctx.message, "image dimensions out of range");
        jpeg_destroy_decompress(&ctx.cinfo);
        return false;
    }
    jpeg_start_decompress(&ctx.cinfo);

    // The row stride follows what libjpeg delivers, not the file's component count: the two differ
    // for four-component files converted to RGB.
    DecodedImage& out = *ctx.out;
    int channels = ctx.cinfo.output_components;
    out.width = int32_t(ctx.cinfo.output_width);
    out.height = int32_t(ctx.cinfo.output_height);
    out.channels = channels;
    out.format = channels == 1 ? ImageLoader::formatR8 : ImageLoader::formatRGB8;
    out.pixels.assign(out.rowBytes() * size_t(out.height), 0);
    while (ctx.cinfo.output_scanline < ctx.cinfo.output_height) {
        JSAMPROW row =
            out.pixels.data() + size_t(out.height - 1 - int32_t(ctx.cinfo.output_scanline)) * out.rowBytes();
        jpeg_read_scanlines(&ctx.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&ctx.cinfo);
    jpeg_destroy_decompress(&ctx.cinfo);
    return true;
}

bool finish(JpegContext& ctx, const char* name, DecodedImage& out) {
    bool ok = runLibjpeg(ctx);
    if (ctx.file)
        std::fclose(ctx.file);
    if (!ok) {
        out = DecodedImage();
        diagnostic(name, "jpeg", "%s", ctx.message[0] ? ctx.message : "cannot decode");
    }
    return ok;
}

} // namespace

bool JPEGLoader::decode(const std::string& path, DecodedImage& out) {
    out = DecodedImage();
    JpegContext ctx;
    // A folder opens for reading on Linux and fails later with a decoder's puzzling message.
    if (std::string why = unreadableFileReason(path); !why.empty()) {
        diagnostic(path.c_str(), "open", "%s", why.c_str());
        return false;
    }
    ctx.file = std::fopen(path.c_str(), "rb");
    if (!ctx.file) {
        diagnostic(path.c_str(), "open", "cannot open the file");
        return false;
    }
    ctx.out = &out;
    ctx.limits = this;
    return finish(ctx, path.c_str(), out);
}

bool JPEGLoader::decode(const void* data, size_t size, DecodedImage& out) {
    out = DecodedImage();
    JpegContext ctx;
    ctx.data = data;
    ctx.size = size;
    ctx.out = &out;
    ctx.limits = this;
    return finish(ctx, "<memory>", out);
}

Ref<Texture> JPEGLoader::load(const std::string& path) {
    DecodedImage image;
    if (!decode(path, image))
        return nullptr;
    return textureFromImage(image, path);
}

Ref<Texture> JPEGLoader::loadFromStream(InputStream& in) {
    diagnostic(in.name().c_str(), "jpeg", "JPEG textures load from files only");
    return nullptr;
}

Ref<Texture> JPEGLoader::loadFromMemory(const void*, size_t) {
    diagnostic("<memory>", "jpeg", "JPEG textures load from files only");
    return nullptr;
}

Ref<Texture3D> JPEGLoader::loadVolume(const std::string& path, int depth) {
    DecodedImage image;
    if (!decode(path, image))
        return nullptr;
    return volumeFromImage(image, depth, path);
}
