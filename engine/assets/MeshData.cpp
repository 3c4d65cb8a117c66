#include "assets/MeshData.h"

#include "render/CodeTables.h"

#include <cstring>

namespace {

struct AttributeLayout {
    uint32_t flag;
    int32_t semantic;
    int32_t bytes;
    int32_t components;
};

constexpr AttributeLayout layouts[] = {
    {MeshPosition, SemanticPosition, 12, 3}, {MeshNormal, SemanticNormal, 12, 3},
    {MeshTangent, SemanticTangent, 16, 4},   {MeshTexCoord, SemanticTexCoord, 8, 2},
    {MeshColor, SemanticColor, 4, 4},        {MeshSkin, SemanticBoneIndex, 8, 2},
};

} // namespace

static_assert(SemanticPosition == codes::kSemanticPosition && SemanticUnknown + 1 == codes::kSemanticCount,
              "mesh semantics are the render layer's semantic codes");

uint32_t MeshData::vertexSizeFor(uint32_t flags) {
    uint32_t size = 0;
    for (const AttributeLayout& a : layouts)
        if (flags & a.flag)
            size += uint32_t(a.bytes);
    return size;
}

std::vector<MeshElement> MeshData::elementsFor(uint32_t flags) {
    std::vector<MeshElement> elements;
    int32_t offset = 0;
    for (const AttributeLayout& a : layouts) {
        if (!(flags & a.flag))
            continue;
        elements.push_back({a.semantic, offset, a.components, a.bytes});
        offset += a.bytes;
    }
    return elements;
}

uint32_t MeshData::index(size_t i) const {
    if (indexSize == 2) {
        uint16_t v;
        std::memcpy(&v, indices.data() + i * 2, 2);
        return v;
    }
    uint32_t v;
    std::memcpy(&v, indices.data() + i * 4, 4);
    return v;
}
