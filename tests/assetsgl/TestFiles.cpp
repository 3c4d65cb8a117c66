#include "TestFiles.h"

#include "support/TempDir.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

void appendBytes(png_structp png, png_bytep data, size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void noFlush(png_structp) {}

} // namespace

std::vector<uint8_t> encodePng(int width, int height, int channels, const std::vector<uint8_t>& rows) {
    static const int colorTypes[5] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                      PNG_COLOR_TYPE_RGBA};
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colorTypes[channels],
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rows.data() + size_t(y) * size_t(width) * size_t(channels));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool writePng(const std::string& path, int width, int height, int channels,
              const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> bytes = encodePng(width, height, channels, rows);
    return !bytes.empty() && writeFile(path, bytes.data(), bytes.size());
}

bool writeJpeg(const std::string& path, int width, int height, int channels,
               const std::vector<uint8_t>& rows) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = channels;
    cinfo.in_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rows.data() + size_t(cinfo.next_scanline) * size_t(width * channels));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bool ok = writeFile(path, buffer, size);
    std::free(buffer);
    return ok;
}

std::vector<uint8_t> patternRows(int width, int height, int channels, int seed) {
    std::vector<uint8_t> rows(size_t(width) * size_t(height) * size_t(channels));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = uint8_t(i * 7 + size_t(seed) * 53 + 1);
    return rows;
}

std::vector<uint8_t> bottomUp(const std::vector<uint8_t>& rows, int height) {
    size_t rowBytes = rows.size() / size_t(height);
    std::vector<uint8_t> out;
    out.reserve(rows.size());
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), rows.begin() + long(size_t(y) * rowBytes),
                   rows.begin() + long(size_t(y + 1) * rowBytes));
    return out;
}

MeshData quadMesh(uint32_t flags, uint16_t version, uint16_t indexSize) {
    MeshData m;
    m.version = version;
    m.flags = flags;
    m.vertexCount = 4;
    m.vertexSize = MeshData::vertexSizeFor(flags);
    m.elements = MeshData::elementsFor(flags);
    m.vertices.resize(m.vertexCount * m.vertexSize);
    const float corners[4][3] = {{-1, 0, 2}, {3, 0, 2}, {3, 5, 2}, {-1, 5, 2}};
    for (uint32_t v = 0; v < 4; ++v) {
        for (size_t b = 0; b < m.vertexSize; ++b)
            m.vertices[v * m.vertexSize + b] = uint8_t(v * 16 + b);
        if (flags & MeshPosition)
            std::memcpy(&m.vertices[v * m.vertexSize], corners[v], 12);
    }
    const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
    m.indexSize = indexSize;
    m.indexCount = 6;
    m.indices.resize(6 * size_t(indexSize));
    for (int i = 0; i < 6; ++i)
        std::memcpy(&m.indices[size_t(i) * indexSize], &idx[i], indexSize); // little-endian host
    m.bins = {{0, 0, 3, 0, 2, 4}, {3, 0, 3, 0, 3, 4}};
    if (flags & MeshSkin) {
        m.boneNames = {"hip", "knee"};
        m.influences = {{0, 0.25f}, {1, 0.75f}, {1, 1.0f}};
    }
    if (version == MeshData::version102) {
        m.bounds.push_back(BoundingBox::fromMinMax({-1, 0, 2}, {3, 5, 2}));
        m.bounds.push_back(BoundingBox::fromMinMax({-7, -8, -9}, {1, 2, 3}));
    }
    return m;
}
