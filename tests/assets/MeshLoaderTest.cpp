#include "ToolRun.h"
#include "support/ImageFiles.h"
#include "support/MeshFiles.h"

#include "assets/MeshWriter.h"
#include "assets/RAWMeshLoader.h"
#include "core/FileInputStream.h"
#include "core/MemoryInputStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

size_t offsetOf(const std::vector<uint8_t>& bytes, const char* tag) {
    auto it = std::search(bytes.begin(), bytes.end(), tag, tag + 4);
    EXPECT_NE(it, bytes.end()) << tag;
    return size_t(it - bytes.begin());
}

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    std::memcpy(&bytes[at], &v, 4);
}
void put16(std::vector<uint8_t>& bytes, size_t at, uint16_t v) {
    std::memcpy(&bytes[at], &v, 2);
}

// Reads from memory and answers whether the mesh was refused with exactly one diagnostic line.
bool refusedWithOneLine(const std::vector<uint8_t>& bytes, std::string* line = nullptr) {
    MemoryInputStream in(bytes.data(), bytes.size(), "broken.rmsh");
    MeshData out;
    testing::internal::CaptureStderr();
    bool ok = RAWMeshLoader::read(in, out);
    std::string err = testing::internal::GetCapturedStderr();
    if (line)
        *line = err;
    return !ok && out.vertices.empty() && out.bins.empty() && std::count(err.begin(), err.end(), '\n') == 1;
}

TEST(MeshToolRoundTrip, EveryFlagCombinationIndexSizeAndCompression) {
    TempDir dir;
    for (uint32_t flags = 0; flags < 64; ++flags) {
        MeshData reference;
        for (int indexSize : {2, 4}) {
            for (bool gzip : {false, true}) {
                std::string file = dir.file(gzip ? "m.rmzh" : "m.rmsh");
                ToolResult r = runTool("meshtool", "--flags " + std::to_string(flags) + " --index-size " +
                                                       std::to_string(indexSize) + (gzip ? " --gzip" : "") +
                                                       " --bones 3 box " + file);
                ASSERT_EQ(r.status, 0) << r.err;
                MeshData m;
                ASSERT_TRUE(RAWMeshLoader::readFile(file, m)) << flags;
                EXPECT_EQ(m.version, 0x0102);
                EXPECT_EQ(m.flags, flags);
                EXPECT_EQ(m.vertexSize, MeshData::vertexSizeFor(flags));
                EXPECT_EQ(m.vertexCount, 24u);
                EXPECT_EQ(m.indexSize, indexSize);
                EXPECT_EQ(m.indexCount, 36u);
                ASSERT_EQ(m.bins.size(), 1u);
                ASSERT_EQ(m.bounds.size(), 1u);
                EXPECT_EQ(m.bounds[0].min, Vec3(-0.5f, -0.5f, -0.5f));
                EXPECT_EQ(m.bounds[0].max, Vec3(0.5f, 0.5f, 0.5f));
                EXPECT_EQ(m.boneNames.size(), (flags & MeshSkin) ? 3u : 0u);
                EXPECT_EQ(m.influences.size(), (flags & MeshSkin) ? 48u : 0u);
                if (reference.vertexCount == 0)
                    reference = m;
                EXPECT_EQ(m.vertices, reference.vertices)
                    << "same vertices whatever the index size or compression";
                for (size_t i = 0; i < 36; ++i)
                    EXPECT_EQ(m.index(i), reference.index(i));
            }
        }
    }
}

TEST(MeshToolRoundTrip, ObjGroupsBecomeBinsAndLargeMeshesGetWideIndices) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("q.obj"), "# two materials\n"
                                             "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 2\n"
                                             "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                                             "vn 0 0 1\n"
                                             "usemtl a\nf 1/1/1 2/2/1 3/3/1 4/4/1\n"
                                             "usemtl b\nf -5/1 -4/2 -1/3\n"));
    ToolResult r = runTool("meshtool", "--flags position,normal,tangent,texcoord obj:" + dir.file("q.obj") +
                                           " " + dir.file("q.rmsh"));
    ASSERT_EQ(r.status, 0) << r.err;
    MeshData m;
    ASSERT_TRUE(RAWMeshLoader::readFile(dir.file("q.rmsh"), m));
    EXPECT_EQ(m.indexSize, 2);
    ASSERT_EQ(m.bins.size(), 2u);
    EXPECT_EQ(m.bins[0].count, 6u) << "the quad is split into two triangles";
    EXPECT_EQ(m.bins[1].first, 6u);
    EXPECT_EQ(m.bins[1].count, 3u);
    EXPECT_EQ(m.bounds[1].max, Vec3(1, 0, 2));
    Ref<SoftwareMesh> sw = RAWMeshLoader().loadSoftware(dir.file("q.rmsh"));
    ASSERT_TRUE(sw);
    EXPECT_EQ(sw->vertices[0].tangent.x, 1.0f) << "u grows along +X";
    EXPECT_EQ(sw->vertices[0].tangent.w, 1.0f);

    ASSERT_EQ(runTool("meshtool", "--segments 400 --rings 200 sphere " + dir.file("s.rmsh")).status, 0);
    ASSERT_TRUE(RAWMeshLoader::readFile(dir.file("s.rmsh"), m));
    EXPECT_GT(m.vertexCount, 65536u);
    EXPECT_EQ(m.indexSize, 4);
    EXPECT_EQ(
        runTool("meshtool", "--index-size 2 --segments 400 --rings 200 sphere " + dir.file("t.rmsh")).status,
        1);

    ASSERT_TRUE(writeFile(dir.file("bad.obj"), "v 0 0 0\nf 1 2 3\n"));
    r = runTool("meshtool", "obj:" + dir.file("bad.obj") + " " + dir.file("bad.rmsh"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad.obj:2"), std::string::npos) << r.err;
}

TEST(MeshToolRoundTrip, ShapesAndHeightMappedPlane) {
    TempDir dir;
    for (const char* shape : {"sphere", "cylinder", "plane"}) {
        ASSERT_EQ(
            runTool("meshtool", std::string("--version 0x0101 ") + shape + " " + dir.file("x.rmsh")).status,
            0);
        Ref<SoftwareMesh> sw = RAWMeshLoader().loadSoftware(dir.file("x.rmsh"));
        ASSERT_TRUE(sw) << shape;
        MeshData m;
        ASSERT_TRUE(RAWMeshLoader::readFile(dir.file("x.rmsh"), m));
        EXPECT_TRUE(m.bounds.empty()) << "version 0x0101 has no BNDS chunk";
        // Closed shapes are wound outwards: every face normal points away from the centre.
        for (const SoftwareMesh::Triangle& t : sw->triangles) {
            Vec3 c = (sw->vertices[t.index[0]].position + sw->vertices[t.index[1]].position +
                      sw->vertices[t.index[2]].position) *
                     (1.0f / 3);
            if (std::string(shape) == "plane")
                EXPECT_GT(t.normal.y, 0.99f);
            else
                EXPECT_GT(t.normal.dot(c), 0.0f) << shape;
            EXPECT_NEAR(t.normal.dot(sw->vertices[t.index[0]].position) + t.d, 0.0f, 1e-6f);
        }
    }
    // A grey ramp from 0 (left) to 255 (right) raises the grid's +X edge by --height.
    std::vector<uint8_t> ramp(8 * 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ramp[size_t(y * 8 + x)] = uint8_t(x * 255 / 7);
    std::vector<uint8_t> png = greyPng(8, 8, ramp);
    ASSERT_TRUE(writeFile(dir.file("h.png"), png.data(), png.size()));
    ToolResult r = runTool("meshtool", "--segments 8 --size 2 --height 3 plane:" + dir.file("h.png") + " " +
                                           dir.file("p.rmsh"));
    ASSERT_EQ(r.status, 0) << r.err;
    MeshData m;
    ASSERT_TRUE(RAWMeshLoader::readFile(dir.file("p.rmsh"), m));
    EXPECT_EQ(m.bounds[0].min, Vec3(-1, 0, -1));
    EXPECT_EQ(m.bounds[0].max, Vec3(1, 3, 1));
}

TEST(RAWMeshLoaderTest, LayoutVersionsAndGzipContainment) {
    MeshData m = sampleMesh(MeshPosition | MeshTexCoord, 0x0101, 2);
    std::vector<uint8_t> bytes = serialize(m);
    MemoryInputStream in(bytes.data(), bytes.size());
    MeshData read;
    ASSERT_TRUE(RAWMeshLoader::read(in, read));
    EXPECT_EQ(read.vertexSize, 20u);
    ASSERT_EQ(read.elements.size(), 2u);
    EXPECT_EQ(read.elements[1].semantic, SemanticTexCoord);
    EXPECT_EQ(read.elements[1].offset, 12);
    EXPECT_TRUE(read.bounds.empty());

    // A gzip file whose name merely contains ".rmzh" still goes through zlib.
    TempDir dir;
    MeshData skinned = sampleMesh(0x3f, 0x0102, 4);
    ASSERT_TRUE(MeshWriter::writeFile(dir.file("a.rmzh.bak"), skinned));
    ASSERT_TRUE(RAWMeshLoader::readFile(dir.file("a.rmzh.bak"), read));
    EXPECT_EQ(read.boneNames, (std::vector<std::string>{"hip", "knee"}));
    ASSERT_EQ(read.influences.size(), 3u);
    EXPECT_EQ(read.influences[1].bone, 1u);
    EXPECT_EQ(read.influences[1].weight, 0.75f);
    EXPECT_EQ(read.bounds[1].center, Vec3(0, 0, 0));
    EXPECT_EQ(read.bounds[1].halfExtent, Vec3(1, 2, 3));
    EXPECT_FLOAT_EQ(read.bounds[1].radius, 1.41f * 3);
    EXPECT_EQ(RAWMeshLoader::open(dir.file("missing.rmsh")), nullptr);

    Ref<SoftwareMesh> sw = RAWMeshLoader().loadSoftware(dir.file("a.rmzh.bak"));
    ASSERT_TRUE(sw);
    EXPECT_EQ(sw->indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    ASSERT_EQ(sw->triangles.size(), 2u);
    EXPECT_EQ(sw->triangles[0].normal, Vec3(0, 0, 1));
    EXPECT_EQ(sw->triangles[0].neighbours[15], -1);
    EXPECT_EQ(sw->vertices[2].position, Vec3(1, 1, 0));
}

TEST(RAWMeshLoaderTest, EveryTruncationIsRefused) {
    for (uint16_t indexSize : {2, 4}) {
        std::vector<uint8_t> bytes = serialize(sampleMesh(0x3f, 0x0102, indexSize));
        for (size_t cut = 0; cut < bytes.size(); ++cut)
            ASSERT_TRUE(refusedWithOneLine(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut))))
                << cut;
    }
    // Compressed files give no size up front; a short read must still fail.
    TempDir dir;
    ASSERT_TRUE(MeshWriter::writeFile(dir.file("a.rmzh"), sampleMesh(0x3f, 0x0102, 2)));
    std::string gz = readText(dir.file("a.rmzh"));
    ASSERT_TRUE(writeFile(dir.file("cut.rmzh"), gz.data(), gz.size() - 30));
    MeshData out;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(RAWMeshLoader::readFile(dir.file("cut.rmzh"), out));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST(RAWMeshLoaderTest, WrongTagsVersionsAndLayoutsAreRefused) {
    const std::vector<uint8_t> good = serialize(sampleMesh(0x3f, 0x0102, 2));
    for (const char* tag : {"RMSH", "VTXA", "IDX ", "IBIN", "SKIN", "BNDS"}) {
        std::vector<uint8_t> b = good;
        b[offsetOf(good, tag)] ^= 0x20;
        EXPECT_TRUE(refusedWithOneLine(b)) << "tag " << tag;
        b = good;
        b[offsetOf(good, tag) + 4] = 0x03; // version low byte
        EXPECT_TRUE(refusedWithOneLine(b)) << "version " << tag;
    }
    std::vector<uint8_t> b = good;
    put32(b, offsetOf(good, "VTXA") + 16, 56);
    std::string line;
    EXPECT_TRUE(refusedWithOneLine(b, &line)) << "vertex size disagrees with the flags";
    EXPECT_NE(line.find("broken.rmsh: VTXA"), std::string::npos) << line;

    b = good;
    put16(b, offsetOf(good, "IDX ") + 6, 3);
    EXPECT_TRUE(refusedWithOneLine(b)) << "index size 3";

    // Flag 0x20 without its SKIN chunk, and version 0x0102 without BNDS.
    b = good;
    b.erase(b.begin() + long(offsetOf(good, "SKIN")), b.begin() + long(offsetOf(good, "BNDS")));
    EXPECT_TRUE(refusedWithOneLine(b));
    b = good;
    b.resize(offsetOf(good, "BNDS"));
    EXPECT_TRUE(refusedWithOneLine(b));
}

TEST(RAWMeshLoaderTest, HugeCountsAndDanglingReferencesAreRefused) {
    const std::vector<uint8_t> good = serialize(sampleMesh(0x3f, 0x0102, 2));
    const size_t vtxa = offsetOf(good, "VTXA"), idx = offsetOf(good, "IDX "), ibin = offsetOf(good, "IBIN"),
                 skin = offsetOf(good, "SKIN"), bnds = offsetOf(good, "BNDS");
    struct Patch {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const Patch patches[] = {
        {"vertex count", vtxa + 12, 0xFFFFFFFF},
        {"index count", idx + 8, 0x7FFFFFFF},
        {"bin count", ibin + 8, 0xFFFFFFFF},
        {"bone name count", skin + 8, 0xFFFFFFFF},
        {"influence count", skin + 12, 0x40000000},
        {"box count", bnds + 8, 0xFFFFFFFF},
        {"box count other than bin count", bnds + 8, 1},
        {"index beyond the vertices", idx + 12, 4},
        {"bin beyond the indices", ibin + 12 + 8, 7},
        {"bin start beyond the indices", ibin + 12, 0xFFFFFFFE},
        {"bin highest vertex", ibin + 12 + 16, 4},
        {"bin lowest above highest", ibin + 12 + 12, 3},
        {"unknown primitive", ibin + 12 + 20, 7},
        {"influence bone", skin + 16 + 2 * 128, 2},
    };
    for (const Patch& p : patches) {
        std::vector<uint8_t> b = good;
        if (std::string(p.what) == "index beyond the vertices")
            put16(b, p.at, uint16_t(p.value));
        else
            put32(b, p.at, p.value);
        EXPECT_TRUE(refusedWithOneLine(b)) << p.what;
    }
    std::vector<uint8_t> b = good;
    std::memset(&b[skin + 16], 'x', 128);
    EXPECT_TRUE(refusedWithOneLine(b)) << "bone name without NUL";

    // A mesh without indices is drawn from its vertices: its bins are checked against those.
    MeshData arrays = sampleMesh(MeshPosition, 0x0101, 2);
    arrays.indexCount = 0;
    arrays.indices.clear();
    arrays.bins = {{0, 0, 4, 0, 0, 0}};
    std::vector<uint8_t> ok = serialize(arrays);
    MemoryInputStream in(ok.data(), ok.size());
    MeshData out;
    EXPECT_TRUE(RAWMeshLoader::read(in, out));
    arrays.bins[0].count = 5;
    EXPECT_TRUE(refusedWithOneLine(serialize(arrays)));
}

} // namespace
