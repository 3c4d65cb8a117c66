#include "assets/Mesh.h"

#include "core/Diagnostics.h"
#include "render/CodeTables.h"
#include "render/TextureBuffer.h"

#include <climits>
#include <cstring>

namespace {

constexpr int weightStride = 16;

// The whole-mesh box from the positions, which sit at the start of every vertex.
BoundingBox positionBounds(const MeshData& data) {
    const uint8_t* p = data.vertices.data();
    float f[3];
    std::memcpy(f, p, sizeof f);
    Vec3 lo{f[0], f[1], f[2]}, hi = lo;
    for (uint32_t v = 1; v < data.vertexCount; ++v) {
        p += data.vertexSize;
        std::memcpy(f, p, sizeof f);
        lo = {std::min(lo.x, f[0]), std::min(lo.y, f[1]), std::min(lo.z, f[2])};
        hi = {std::max(hi.x, f[0]), std::max(hi.y, f[1]), std::max(hi.z, f[2])};
    }
    return BoundingBox::fromMinMax(lo, hi);
}

BoundingBox unionOf(const std::vector<BoundingBox>& boxes) {
    Vec3 lo = boxes.front().min, hi = boxes.front().max;
    for (const BoundingBox& b : boxes) {
        lo = {std::min(lo.x, b.min.x), std::min(lo.y, b.min.y), std::min(lo.z, b.min.z)};
        hi = {std::max(hi.x, b.max.x), std::max(hi.y, b.max.y), std::max(hi.z, b.max.z)};
    }
    return BoundingBox::fromMinMax(lo, hi);
}

} // namespace

Mesh::Mesh(Ref<VertexBuffer> vertexBuffer, Ref<IndexBuffer> indexBuffer, std::vector<IndexBin> bins)
    : vertexBuffer_(std::move(vertexBuffer)), indexBuffer_(std::move(indexBuffer)), bins_(std::move(bins)) {
    if (vertexBuffer_)
        vertexCount_ = uint32_t(vertexBuffer_->vertexCount());
}

void Mesh::setBuffers(Ref<VertexBuffer> vertexBuffer, Ref<IndexBuffer> indexBuffer) {
    vertexBuffer_ = std::move(vertexBuffer);
    indexBuffer_ = std::move(indexBuffer);
}

void Mesh::setSkin(std::vector<std::string> boneNames, std::vector<SkinInfluence> influences) {
    boneNames_ = std::move(boneNames);
    influences_ = std::move(influences);
    skinned_ = true;
}

Ref<Mesh> Mesh::fromData(const MeshData& data, const std::string& source) {
    // Vertex buffers count in int; only a layout without attributes could claim more.
    if (data.vertexCount > uint32_t(INT_MAX)) {
        diagnostic(source.c_str(), "VTXA", "%u vertices are more than a vertex buffer holds",
                   data.vertexCount);
        return nullptr;
    }
    Ref<VertexBuffer> vertices = makeRef<VertexBuffer>();
    vertices->setStride(int(data.vertexSize));
    vertices->setVertexCount(int(data.vertexCount));
    for (const MeshElement& e : data.elements)
        vertices->addElement(e.offset, e.semantic, e.components, e.bytes);
    vertices->create();
    vertices->bind();
    vertices->setData(codes::kUsageStaticDraw, GLsizeiptr(data.vertices.size()), data.vertices.data());
    vertices->unbind();

    // Uploaded through the copy-write target: the element array binding belongs to whichever
    // vertex array is bound, and loading must not change it.
    Ref<IndexBuffer> indices = makeRef<IndexBuffer>();
    indices->setIndexSize(data.indexSize);
    indices->create();
    glBindBuffer(GL_COPY_WRITE_BUFFER, indices->glName());
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(data.indices.size()), data.indices.data(), GL_STATIC_DRAW);
    VORNDLE_GL_CHECK("glBufferData");
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);

    Ref<Mesh> mesh = makeRef<Mesh>(vertices, indices, data.bins);
    mesh->setCounts(data.vertexCount, data.indexCount);
    mesh->bounds_ = data.bounds;
    if ((data.flags & MeshPosition) && data.vertexCount > 0)
        mesh->setBoundingBox(positionBounds(data));
    else if (!data.bounds.empty())
        mesh->setBoundingBox(unionOf(data.bounds));
    if (data.flags & MeshSkin) {
        mesh->setSkin(data.boneNames, data.influences);
        mesh->buildWeightsBuffer();
    }
    return mesh;
}

Ref<BufferObject> Mesh::buildWeightsBuffer() {
    std::vector<float> packed(influences_.size() * 4);
    for (size_t i = 0; i < influences_.size(); ++i) {
        packed[i * 4] = influences_[i].weight;
        packed[i * 4 + 1] = float(influences_[i].bone);
        packed[i * 4 + 2] = 0;
        packed[i * 4 + 3] = 0;
    }
    Ref<VertexBuffer> buffer = makeRef<VertexBuffer>();
    buffer->setStride(weightStride);
    buffer->setVertexCount(int(influences_.size()));
    buffer->addElement(0, SemanticPosition, 4, weightStride);
    buffer->create();
    buffer->bind();
    // Filled from memory rather than through a mapping: the bytes are ready, and a mapping of an
    // empty buffer would fail.
    buffer->setData(codes::kUsageStaticDraw, GLsizeiptr(packed.size() * sizeof(float)),
                    packed.empty() ? nullptr : packed.data());
    buffer->unbind();
    weightsBuffer_ = buffer;
    return Ref<BufferObject>(weightsBuffer_);
}

Ref<TextureBuffer> Mesh::createWeightsTexture() const {
    if (!weightsBuffer_)
        return nullptr;
    Ref<TextureBuffer> texture = makeRef<TextureBuffer>();
    texture->create(Ref<BufferObject>(weightsBuffer_));
    return texture;
}
