#include "TestFiles.h"

#include "assets/Mesh.h"
#include "assets/MeshWriter.h"
#include "assets/RAWMeshLoader.h"
#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "demo/Registries.h"
#include "render/TextureBuffer.h"
#include "support/GlTest.h"
#include "support/TempDir.h"

#include <cstring>

namespace {

class MeshLoading : public GlTest {
protected:
    GLint bufferSize(const BufferObject& buffer) {
        GLint size = -1;
        glBindBuffer(GL_COPY_READ_BUFFER, buffer.glName());
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
        glBindBuffer(GL_COPY_READ_BUFFER, 0);
        return size;
    }
    std::vector<uint8_t> bufferBytes(const BufferObject& buffer) {
        std::vector<uint8_t> bytes(size_t(bufferSize(buffer)));
        glBindBuffer(GL_COPY_READ_BUFFER, buffer.glName());
        glGetBufferSubData(GL_COPY_READ_BUFFER, 0, GLsizeiptr(bytes.size()), bytes.data());
        glBindBuffer(GL_COPY_READ_BUFFER, 0);
        return bytes;
    }
    static void expectBox(const BoundingBox& box, Vec3 lo, Vec3 hi) {
        EXPECT_FLOAT_EQ(box.min.x, lo.x);
        EXPECT_FLOAT_EQ(box.min.y, lo.y);
        EXPECT_FLOAT_EQ(box.min.z, lo.z);
        EXPECT_FLOAT_EQ(box.max.x, hi.x);
        EXPECT_FLOAT_EQ(box.max.y, hi.y);
        EXPECT_FLOAT_EQ(box.max.z, hi.z);
    }

    TempDir dir;
    RAWMeshLoader loader;
};

TEST_F(MeshLoading, SkinnedMeshUploadsEverything) {
    MeshData data = quadMesh(0x3f, MeshData::version102, 2);
    ASSERT_TRUE(MeshWriter::writeFile(dir.file("skinned.rmsh"), data));
    Ref<Mesh> mesh = loader.load(dir.file("skinned.rmsh"));
    ASSERT_TRUE(mesh);

    const VertexBuffer& vb = *mesh->vertexBuffer();
    EXPECT_EQ(vb.stride(), 60);
    EXPECT_EQ(vb.vertexCount(), 4);
    ASSERT_EQ(vb.elementCount(), 6);
    const int semantics[6] = {SemanticPosition, SemanticNormal, SemanticTangent,
                              SemanticTexCoord, SemanticColor,  SemanticBoneIndex};
    const int offsets[6] = {0, 12, 24, 40, 48, 52};
    const int components[6] = {3, 3, 4, 2, 4, 2};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(vb.element(i).semantic, semantics[i]) << i;
        EXPECT_EQ(vb.element(i).offset, offsets[i]) << i;
        EXPECT_EQ(vb.element(i).components, components[i]) << i;
    }
    EXPECT_EQ(bufferBytes(vb), data.vertices);
    EXPECT_EQ(mesh->indexSize(), 2);
    EXPECT_EQ(mesh->indexCount(), 6u);
    EXPECT_EQ(bufferBytes(*mesh->indexBuffer()), data.indices);

    ASSERT_EQ(mesh->binCount(), 2u);
    EXPECT_EQ(mesh->bins()[1].first, 3u);
    EXPECT_EQ(mesh->bins()[1].highest, 3u);
    EXPECT_EQ(mesh->indexOffset(mesh->bins()[1]), reinterpret_cast<const void*>(6));
    ASSERT_EQ(mesh->bounds().size(), 2u);
    expectBox(mesh->bounds()[1], {-7, -8, -9}, {1, 2, 3});
    ASSERT_TRUE(mesh->hasBoundingBox());
    expectBox(mesh->boundingBox(), {-1, 0, 2}, {3, 5, 2});
    EXPECT_FLOAT_EQ(mesh->boundingBox().radius, 1.41f * 2.5f);

    EXPECT_EQ(mesh->boneNames(), (std::vector<std::string>{"hip", "knee"}));
    ASSERT_TRUE(mesh->weightsBuffer());
    std::vector<uint8_t> bytes = bufferBytes(*mesh->weightsBuffer());
    ASSERT_EQ(bytes.size(), 3u * 16);
    float weights[12];
    std::memcpy(weights, bytes.data(), sizeof weights);
    const float expected[12] = {0.25f, 0, 0, 0, 0.75f, 1, 0, 0, 1, 1, 0, 0};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(weights[i], expected[i]) << i;
    Ref<TextureBuffer> texture = mesh->createWeightsTexture();
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->format(), 28);
    EXPECT_EQ(texture->buffer(), mesh->weightsBuffer());
}

TEST_F(MeshLoading, PlainGzipAndStreamReadTheSame) {
    MeshData data = quadMesh(0x09, MeshData::version101, 4);
    ASSERT_TRUE(MeshWriter::writeFile(dir.file("plain.rmsh"), data));
    // Containment, not the ending, selects the gzip reader.
    ASSERT_TRUE(MeshWriter::writeFile(dir.file("packed.rmzh.bak"), data, true));
    MemoryOutputStream out;
    ASSERT_TRUE(MeshWriter::write(out, data));

    MemoryInputStream in(out.bytes().data(), out.bytes().size());
    for (Ref<Mesh> mesh : {loader.load(dir.file("plain.rmsh")), loader.load(dir.file("packed.rmzh.bak")),
                           loader.loadFromStream(in)}) {
        ASSERT_TRUE(mesh);
        EXPECT_EQ(mesh->vertexBuffer()->stride(), 20);
        EXPECT_EQ(mesh->vertexBuffer()->element(1).semantic, SemanticTexCoord);
        EXPECT_EQ(mesh->vertexBuffer()->element(1).offset, 12);
        EXPECT_EQ(bufferBytes(*mesh->vertexBuffer()), data.vertices);
        EXPECT_EQ(mesh->indexSize(), 4);
        EXPECT_EQ(bufferSize(*mesh->indexBuffer()), 24);
        EXPECT_EQ(mesh->binCount(), 2u);
        EXPECT_TRUE(mesh->bounds().empty());
        EXPECT_TRUE(mesh->hasBoundingBox());
        EXPECT_FALSE(mesh->weightsBuffer());
        EXPECT_FALSE(mesh->createWeightsTexture());
        EXPECT_TRUE(mesh->boneNames().empty());
    }
}

TEST_F(MeshLoading, WholeBoxFallsBackToTheBinBoxes) {
    MemoryOutputStream out;
    ASSERT_TRUE(MeshWriter::write(out, quadMesh(0x08, MeshData::version102, 2)));
    MemoryInputStream in(out.bytes().data(), out.bytes().size());
    Ref<Mesh> mesh = loader.loadFromStream(in);
    ASSERT_TRUE(mesh && mesh->hasBoundingBox());
    expectBox(mesh->boundingBox(), {-7, -8, -9}, {3, 5, 3});

    MemoryOutputStream bare;
    ASSERT_TRUE(MeshWriter::write(bare, quadMesh(0x08, MeshData::version101, 2)));
    MemoryInputStream bareIn(bare.bytes().data(), bare.bytes().size());
    mesh = loader.loadFromStream(bareIn);
    ASSERT_TRUE(mesh);
    EXPECT_FALSE(mesh->hasBoundingBox());
}

// The element array binding belongs to the bound vertex array; loading must leave it alone.
TEST_F(MeshLoading, LoadingLeavesBindingsAlone) {
    ASSERT_TRUE(MeshWriter::writeFile(dir.file("m.rmsh"), quadMesh(0x01, MeshData::version101, 2)));
    GLuint vao = 0, elements = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &elements);
    glBindVertexArray(vao);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elements);
    ASSERT_TRUE(loader.load(dir.file("m.rmsh")));
    GLint bound = -1, array = -1;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &array);
    EXPECT_EQ(GLuint(bound), elements);
    EXPECT_EQ(array, 0);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(1, &elements);
}

TEST_F(MeshLoading, BrokenFilesGiveNoMesh) {
    std::vector<uint8_t> good;
    {
        MemoryOutputStream out;
        ASSERT_TRUE(MeshWriter::write(out, quadMesh(0x3f, MeshData::version102, 2)));
        good = out.bytes();
    }
    auto loadBytes = [&](const std::vector<uint8_t>& bytes) {
        MemoryInputStream in(bytes.data(), bytes.size());
        return loader.loadFromStream(in);
    };
    ASSERT_TRUE(loadBytes(good));
    // Cut anywhere: every chunk comes up short somewhere on the way.
    for (size_t cut : {size_t(0), size_t(7), size_t(20), size_t(100), good.size() - 1}) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + long(cut));
        EXPECT_FALSE(loadBytes(bytes)) << cut;
    }
    // An index naming a vertex that does not exist (the first index follows 8 + 20 + 240 + 12 bytes).
    std::vector<uint8_t> bytes = good;
    bytes[8 + 20 + 4 * 60 + 12] = 9;
    EXPECT_FALSE(loadBytes(bytes));

    ASSERT_TRUE(writeFile(dir.file("cut.rmzh"), good.data(), good.size() / 2));
    EXPECT_FALSE(loader.load(dir.file("cut.rmzh")));
    EXPECT_FALSE(loader.load(dir.file("missing.rmsh")));
}

TEST_F(MeshLoading, RegistryNamesTheMesh) {
    Ref<Mesh> mesh = makeRef<Mesh>();
    ASSERT_TRUE(meshRegistry().insert("test.quad", mesh));
    EXPECT_EQ(mesh->name(), "test.quad");
    EXPECT_EQ(meshRegistry().find("test.quad"), mesh);
    meshRegistry().clear();
}

} // namespace
