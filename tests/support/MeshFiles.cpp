#include "support/MeshFiles.h"

#include "assets/MeshWriter.h"
#include "core/MemoryOutputStream.h"

#include <cstring>

MeshData sampleMesh(uint32_t flags, uint16_t version, uint16_t indexSize) {
    MeshData m;
    m.version = version;
    m.flags = flags;
    m.vertexCount = 4;
    m.vertexSize = MeshData::vertexSizeFor(flags);
    m.elements = MeshData::elementsFor(flags);
    m.vertices.resize(m.vertexCount * m.vertexSize);
    const float corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (uint32_t v = 0; v < 4; ++v) {
        for (size_t b = 0; b < m.vertexSize; ++b)
            m.vertices[v * m.vertexSize + b] = uint8_t(v * 16 + b);
        if (flags & MeshPosition)
            std::memcpy(&m.vertices[v * m.vertexSize], corners[v], 12);
    }
    const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
    m.indexSize = indexSize;
    m.indexCount = 6;
    m.indices.resize(6 * indexSize);
    for (int i = 0; i < 6; ++i) {
        if (indexSize == 2) {
            uint16_t v = uint16_t(idx[i]);
            std::memcpy(&m.indices[size_t(i) * 2], &v, 2);
        } else {
            std::memcpy(&m.indices[size_t(i) * 4], &idx[i], 4);
        }
    }
    m.bins = {{0, 0, 3, 0, 2, 4}, {3, 0, 3, 0, 3, 4}};
    if (flags & MeshSkin) {
        m.boneNames = {"hip", "knee"};
        m.influences = {{0, 0.25f}, {1, 0.75f}, {1, 1.0f}};
    }
    if (version == MeshData::version102) {
        m.bounds.push_back(BoundingBox::fromMinMax({0, 0, 0}, {1, 1, 0}));
        m.bounds.push_back(BoundingBox::fromMinMax({-1, -2, -3}, {1, 2, 3}));
    }
    return m;
}

std::vector<uint8_t> serialize(const MeshData& mesh) {
    MemoryOutputStream out;
    MeshWriter::write(out, mesh);
    return out.bytes();
}
