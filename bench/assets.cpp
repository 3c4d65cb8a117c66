// Asset loading throughput: mesh files against raw reads of the same bytes, and image decoding.
#include "RenderBenchContext.h"
#include "app/FileInputStream.h"
#include "app/GzipInputStream.h"
#include "app/GzipOutputStream.h"
#include "assets/JPEGLoader.h"
#include "assets/Mesh.h"
#include "assets/MeshWriter.h"
#include "assets/PNGLoader.h"
#include "assets/RAWMeshLoader.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include <jpeglib.h>

namespace {

// About 50 MB: 600 000 vertices of 60 bytes and 3.6 million 32-bit indices.
MeshData bigMesh() {
    MeshData m;
    m.flags = 0x3f;
    m.vertexSize = MeshData::vertexSizeFor(m.flags);
    m.elements = MeshData::elementsFor(m.flags);
    m.vertexCount = 600000;
    m.vertices.resize(size_t(m.vertexCount) * m.vertexSize);
    uint32_t state = 0x12345678;
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        float f[13];
        for (int k = 0; k < 12; ++k) {
            state *= 16807;
            f[k] = std::sin(float(v) * 0.001f + float(k)) + float(state >> 24) * 1e-4f;
        }
        uint8_t* p = &m.vertices[size_t(v) * m.vertexSize];
        std::memcpy(p, f, 48);
        uint32_t tail[3] = {0xFF8040C0u, v * 2, 2};
        std::memcpy(p + 48, tail, 12);
    }
    m.indexSize = 4;
    m.indexCount = 3600000;
    m.indices.resize(size_t(m.indexCount) * 4);
    for (uint32_t i = 0; i < m.indexCount; ++i) {
        uint32_t v = (i / 6 + (i % 3)) % m.vertexCount;
        std::memcpy(&m.indices[size_t(i) * 4], &v, 4);
    }
    m.bins = {{0, 0, m.indexCount, 0, m.vertexCount - 1, 4}};
    m.bounds = {BoundingBox::fromMinMax({-2, -2, -2}, {2, 2, 2})};
    m.boneNames = {"a", "b"};
    for (uint32_t v = 0; v < m.vertexCount * 2; ++v)
        m.influences.push_back({v & 1, 0.5f});
    return m;
}

struct MeshFiles {
    std::string plain, gzip;
    uint64_t bytes = 0;
    MeshFiles() {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = std::string(tmp ? tmp : "/tmp") + "/bench_assets_" + std::to_string(getpid());
        plain = base + ".rmsh";
        gzip = base + ".rmzh";
        MeshData m = bigMesh();
        MeshWriter::writeFile(plain, m);
        GzipOutputStream out(gzip, 6);
        MeshWriter::write(out, m);
        out.close();
        FileInputStream in(plain);
        bytes = in.size();
    }
    ~MeshFiles() {
        std::remove(plain.c_str());
        std::remove(gzip.c_str());
    }
};

MeshFiles& files() {
    static MeshFiles f;
    return f;
}

void BM_RawRead(benchmark::State& state) {
    files(); // generated once, outside the timed loop
    // A fresh buffer each time, as a loader needs one.
    for (auto _ : state) {
        FileInputStream in(files().plain);
        std::vector<uint8_t> buffer(in.size());
        in.read(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().bytes));
}

void BM_ReadRmsh(benchmark::State& state) {
    for (auto _ : state) {
        MeshData m;
        if (!RAWMeshLoader::readFile(files().plain, m))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(m.vertices.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().bytes));
}

void BM_RawGunzip(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<uint8_t> buffer(files().bytes);
        GzipInputStream in(files().gzip);
        // Exactly the decompressed size, so every read succeeds.
        in.read(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().bytes));
}

void BM_ReadRmzh(benchmark::State& state) {
    for (auto _ : state) {
        MeshData m;
        if (!RAWMeshLoader::readFile(files().gzip, m))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(m.vertices.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().bytes));
}

// The whole load as the demo does it: read, check, upload into GL buffers (the weights buffer too)
// and free the CPU copies. glFinish makes the driver's copy part of the figure.
void loadWithUpload(benchmark::State& state, const std::string& path) {
    ensureBenchContext();
    RAWMeshLoader loader;
    for (auto _ : state) {
        Ref<Mesh> mesh = loader.load(path);
        if (!mesh)
            state.SkipWithError("load failed");
        glFinish();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().bytes));
}

void BM_LoadRmshGl(benchmark::State& state) {
    loadWithUpload(state, files().plain);
}

void BM_LoadRmzhGl(benchmark::State& state) {
    loadWithUpload(state, files().gzip);
}

// A 1024 × 1024 picture with smooth gradients and some noise, like a typical texture.
std::vector<uint8_t> picture(int channels) {
    std::vector<uint8_t> rows(size_t(1024) * 1024 * size_t(channels));
    uint32_t s = 1;
    for (size_t i = 0; i < rows.size(); ++i) {
        s *= 16807;
        size_t x = (i / size_t(channels)) % 1024, y = i / size_t(channels) / 1024;
        rows[i] = uint8_t((x + y * (i % size_t(channels) + 1)) / 8 + (s >> 29));
    }
    return rows;
}

void appendBytes(png_structp png, png_bytep data, size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void BM_PngDecode(benchmark::State& state) {
    std::vector<uint8_t> rows = picture(4), file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, appendBytes, nullptr);
    png_set_IHDR(png, info, 1024, 1024, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < 1024; ++y)
        png_write_row(png, rows.data() + size_t(y) * 4096);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);

    PNGLoader loader;
    DecodedImage image;
    for (auto _ : state) {
        if (!loader.decode(file.data(), file.size(), image))
            state.SkipWithError("decode failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rows.size()));
    state.counters["file_bytes"] = double(file.size());
}

void BM_JpegDecode(benchmark::State& state) {
    std::vector<uint8_t> rows = picture(3);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 1024;
    cinfo.image_height = 1024;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < 1024) {
        JSAMPROW row = rows.data() + size_t(cinfo.next_scanline) * 3072;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> file(buffer, buffer + size);
    std::free(buffer);

    JPEGLoader loader;
    DecodedImage image;
    for (auto _ : state) {
        if (!loader.decode(file.data(), file.size(), image))
            state.SkipWithError("decode failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rows.size()));
    state.counters["file_bytes"] = double(file.size());
}

} // namespace

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRmsh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawGunzip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRmzh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRmshGl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRmzhGl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond);
