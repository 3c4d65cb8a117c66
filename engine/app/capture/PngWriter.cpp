#include "app/capture/PngWriter.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <png.h>
#include <unistd.h>

// One block that libpng and zlib take their memory from, emptied before every picture.
struct PngWriter::Arena {
    explicit Arena(size_t size) : block(new uint8_t[size]), size(size) {}
    std::unique_ptr<uint8_t[]> block;
    size_t size;
    size_t used = 0;
};

namespace {

// zlib's deflate state at the default window and memory levels is about 270 KiB; libpng's own
// structures and row buffers come on top.
size_t arenaSize(int width) {
    return (size_t(1) << 20) + static_cast<size_t>(width) * 4 * 8;
}

} // namespace

PngWriter::PngWriter(int width, int height, bool fast)
    : width_(width), height_(height), fast_(fast), arena_(new Arena(arenaSize(width))),
      rows_(static_cast<size_t>(height)),
      // Stored blocks at worst: the rows plus their filter bytes and a little per block and chunk.
      encoded_(static_cast<size_t>(width * 3 + 1) * height * 102 / 100 + 65536), temporaryPath_(4096) {}

PngWriter::~PngWriter() = default;

void* PngWriter::allocate(png_struct_def* png, size_t size) {
    PngWriter* self = static_cast<PngWriter*>(png_get_mem_ptr(png));
    Arena& arena = *self->arena_;
    size = (size + 15) & ~size_t(15);
    if (size > arena.size - arena.used)
        return nullptr; // libpng reports it as running out of memory
    void* block = arena.block.get() + arena.used;
    arena.used += size;
    return block;
}

void PngWriter::release(png_struct_def*, void*) {}

void PngWriter::append(png_struct_def* p, uint8_t* data, size_t size) {
    PngWriter* self = static_cast<PngWriter*>(png_get_io_ptr(p));
    if (size > self->encoded_.size() - self->encodedSize_) {
        self->overflow_ = true;
        png_error(p, "picture larger than its buffer");
    }
    std::memcpy(self->encoded_.data() + self->encodedSize_, data, size);
    self->encodedSize_ += size;
}

bool PngWriter::encode(const uint8_t* pixels, Layout layout, size_t stride, bool bottomUp) {
    arena_->used = 0;
    encodedSize_ = 0;
    overflow_ = false;
    for (int y = 0; y < height_; ++y)
        rows_[static_cast<size_t>(y)] = pixels + stride * static_cast<size_t>(bottomUp ? height_ - 1 - y : y);

    png_structp png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr, this,
                                                &PngWriter::allocate, &PngWriter::release);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, this, &PngWriter::append, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (fast_) {
        // Measured on rendered frames: the fastest zlib level without row filters costs half of
        // level 1 with the Sub filter and gives files of the same size.
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    }
    png_write_info(png, info);
    if (layout == Bgra) {
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    }
    png_write_rows(png, const_cast<png_bytepp>(rows_.data()), static_cast<png_uint_32>(height_));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool PngWriter::write(const char* path, const uint8_t* pixels, Layout layout, size_t stride, bool bottomUp,
                      std::string& error) {
    if (!encode(pixels, layout, stride, bottomUp)) {
        error = std::string(path) + ": the picture cannot be encoded";
        return false;
    }
    const int n = std::snprintf(temporaryPath_.data(), temporaryPath_.size(), "%s.part", path);
    if (n < 0 || static_cast<size_t>(n) >= temporaryPath_.size()) {
        error = std::string(path) + ": the path is too long";
        return false;
    }
    const char* temporary = temporaryPath_.data();
    int fd = ::open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::string(path) + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    size_t written = 0;
    while (written < encodedSize_) {
        ssize_t w = ::write(fd, encoded_.data() + written, encodedSize_ - written);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            break;
        written += static_cast<size_t>(w);
    }
    const int writeErrno = errno;
    if (::close(fd) != 0 || written != encodedSize_ || std::rename(temporary, path) != 0) {
        error = std::string(path) + ": cannot be written (" +
                std::strerror(written != encodedSize_ ? writeErrno : errno) + ")";
        ::unlink(temporary);
        return false;
    }
    return true;
}
