#pragma once

#include "assets/IndexBin.h"
#include "assets/MeshData.h"
#include "core/Object.h"
#include "math/BoundingBox.h"
#include "render/IndexBuffer.h"
#include "render/VertexBuffer.h"

#include <cstdint>
#include <string>
#include <vector>

class TextureBuffer;

// A model in GPU memory: one interleaved vertex buffer, one index buffer, and the index bins that
// drawables draw. Skinned meshes also keep their bone names and influences, and the influences
// packed for a buffer texture (four floats each: weight, bone index, 0, 0).
class Mesh : public Object {
public:
    Mesh() = default;
    Mesh(Ref<VertexBuffer> vertexBuffer, Ref<IndexBuffer> indexBuffer, std::vector<IndexBin> bins);

    // Uploads validated file data (see RAWMeshLoader::read) into new buffers; the skinning weights
    // buffer is built when the vertices carry skin references. Needs a current GL context. Null,
    // with one diagnostic line naming `source`, for data no buffer can describe.
    static Ref<Mesh> fromData(const MeshData& data, const std::string& source);

    const std::string& name() const { return name_; }
    void setName(const std::string& name) { name_ = name; }

    const Ref<VertexBuffer>& vertexBuffer() const { return vertexBuffer_; }
    const Ref<IndexBuffer>& indexBuffer() const { return indexBuffer_; }
    void setBuffers(Ref<VertexBuffer> vertexBuffer, Ref<IndexBuffer> indexBuffer);
    // Bytes per index (2 or 4); 2 when there is no index buffer.
    int indexSize() const { return indexBuffer_ ? indexBuffer_->indexSize() : 2; }
    uint32_t vertexCount() const { return vertexCount_; }
    uint32_t indexCount() const { return indexCount_; }
    void setCounts(uint32_t vertexCount, uint32_t indexCount) {
        vertexCount_ = vertexCount;
        indexCount_ = indexCount;
    }

    const std::vector<IndexBin>& bins() const { return bins_; }
    size_t binCount() const { return bins_.size(); }
    void setBins(std::vector<IndexBin> bins) { bins_ = std::move(bins); }
    // Byte offset of a bin's first index inside the index buffer, as glDrawElements takes it.
    const void* indexOffset(const IndexBin& bin) const {
        return reinterpret_cast<const void*>(uintptr_t(bin.first) * uintptr_t(indexSize()));
    }

    // One box per bin, or none (files of version 0x0101).
    const std::vector<BoundingBox>& bounds() const { return bounds_; }
    bool hasBinBounds() const { return !bounds_.empty(); }
    void setBounds(std::vector<BoundingBox> bounds) { bounds_ = std::move(bounds); }
    // The whole mesh: from the vertex positions when there are any, otherwise the union of the
    // bin boxes; hasBoundingBox() is false when neither exists.
    const BoundingBox& boundingBox() const { return boundingBox_; }
    bool hasBoundingBox() const { return hasBoundingBox_; }
    void setBoundingBox(const BoundingBox& box) {
        boundingBox_ = box;
        hasBoundingBox_ = true;
    }

    const std::vector<std::string>& boneNames() const { return boneNames_; }
    const std::vector<SkinInfluence>& influences() const { return influences_; }
    void setSkin(std::vector<std::string> boneNames, std::vector<SkinInfluence> influences);
    bool skinned() const { return skinned_; }

    // Packs the influences into a new buffer (16 bytes each) and keeps it; answers it.
    Ref<BufferObject> buildWeightsBuffer();
    // Null for meshes without skin.
    Ref<BufferObject> weightsBuffer() const { return Ref<BufferObject>(weightsBuffer_); }
    // A buffer texture of format "rgba_fp32" over the weights buffer, for shaders to fetch
    // influences from; null when there is no weights buffer.
    [[nodiscard]] Ref<TextureBuffer> createWeightsTexture() const;

private:
    std::string name_;
    Ref<VertexBuffer> vertexBuffer_;
    Ref<IndexBuffer> indexBuffer_;
    uint32_t vertexCount_ = 0;
    uint32_t indexCount_ = 0;
    std::vector<IndexBin> bins_;
    std::vector<std::string> boneNames_;
    std::vector<SkinInfluence> influences_;
    bool skinned_ = false;
    std::vector<BoundingBox> bounds_;
    BoundingBox boundingBox_;
    bool hasBoundingBox_ = false;
    Ref<VertexBuffer> weightsBuffer_;
};
