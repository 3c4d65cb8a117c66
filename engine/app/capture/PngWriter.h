#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct png_struct_def;

// Encodes pictures of one size as RGB PNG files. All memory (libpng's and zlib's included) is
// taken when the writer is made, so writing a picture allocates nothing. A file appears whole
// under its name or not at all: it is written under a temporary name and then renamed.
class PngWriter {
public:
    // `fast` trades file size for speed (for frame sequences); the output is the same on every run
    // either way.
    PngWriter(int width, int height, bool fast);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    enum Layout { Rgb, Bgra };
    // `pixels` are RGB (3 bytes) or BGRA (4 bytes, as read back; the alpha is dropped), rows
    // `stride` bytes apart, top row first, or bottom row first with `bottomUp` (GL's order).
    // Answers false after filling `error` with one line naming the file.
    [[nodiscard]] bool write(const char* path, const uint8_t* pixels, Layout layout, size_t stride,
                             bool bottomUp, std::string& error);

    int width() const { return width_; }
    int height() const { return height_; }

private:
    struct Arena;
    static void* allocate(png_struct_def* png, size_t size);
    static void release(png_struct_def* png, void* block);
    static void append(png_struct_def* png, uint8_t* data, size_t size);
    bool encode(const uint8_t* pixels, Layout layout, size_t stride, bool bottomUp);

    int width_, height_;
    bool fast_;
    std::unique_ptr<Arena> arena_;
    std::vector<const uint8_t*> rows_;
    std::vector<uint8_t> encoded_;
    size_t encodedSize_ = 0;
    bool overflow_ = false;
    std::vector<char> temporaryPath_;
};
