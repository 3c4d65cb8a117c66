// Asset loading throughput: mesh files against raw reads of the same bytes, and image decoding.
#include "RenderBenchContext.h"
#include "assets/JPEGLoader.h"
#include "assets/Mesh.h"
#include "assets/MeshWriter.h"
#include "assets/PNGLoader.h"
#include "assets/RAWMeshLoader.h"
#include "core/FileInputStream.h"
#include "core/GzipInputStream.h"
#include "core/GzipOutputStream.h"
#include "support/ImageFiles.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

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
        GzipOutputStream out(gzip, 6);
        MeshWriter::write(out, m);
        out.close();
        if (!MeshWriter::writeFile(plain, m) || out.failed()) {
            std::fprintf(stderr, "bench_assets: the benchmark meshes cannot be written under %s\n",
                         base.c_str());
            std::exit(1);
        }
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
        if (!in.read(buffer.data(), buffer.size()))
            state.SkipWithError("the benchmark mesh cannot be read");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().bytes));
}

// Reads a mesh file into memory, as the loader does before any upload.
void readMesh(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        MeshData m;
        if (!RAWMeshLoader::readFile(path, m))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(m.vertices.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().bytes));
}

void BM_ReadRmsh(benchmark::State& state) {
    readMesh(state, files().plain);
}

void BM_RawGunzip(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<uint8_t> buffer(files().bytes);
        GzipInputStream in(files().gzip);
        // Exactly the decompressed size, so every read succeeds.
        if (!in.read(buffer.data(), buffer.size()))
            state.SkipWithError("the benchmark mesh cannot be read");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().bytes));
}

void BM_ReadRmzh(benchmark::State& state) {
    readMesh(state, files().gzip);
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

void BM_PngDecode(benchmark::State& state) {
    PngSpec spec;
    spec.width = spec.height = 1024;
    spec.colorType = PNG_COLOR_TYPE_RGBA;
    spec.rows = picture(4);
    const std::vector<uint8_t> file = encodePng(spec);
    const std::vector<uint8_t>& rows = spec.rows;

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
    const std::vector<uint8_t> rows = picture(3);
    const std::vector<uint8_t> file = encodeJpeg(1024, 1024, 3, rows, false, 90);

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
