#pragma once

#include "assets/IndexBin.h"
#include "math/BoundingBox.h"

#include <cstdint>
#include <string>
#include <vector>

// Vertex attribute flags of the mesh file, in the order the attributes follow within a vertex.
enum MeshAttribute : uint32_t {
    MeshPosition = 0x01,
    MeshNormal = 0x02,
    MeshTangent = 0x04,
    MeshTexCoord = 0x08,
    MeshColor = 0x10,
    MeshSkin = 0x20,
};

// Vertex semantic codes: the render layer's semantic table (codes::semanticName gives their names),
// which shaders match by attribute name.
enum MeshSemantic : int32_t {
    SemanticPosition = 0,
    SemanticNormal = 1,
    SemanticColor = 2,
    SemanticTangent = 3,
    SemanticTexCoord = 4,
    SemanticBoneIndex = 5,
    SemanticBoneWeight = 6,
    SemanticUnknown = 7,
};

struct MeshElement {
    int32_t semantic = SemanticUnknown;
    int32_t offset = 0;
    int32_t components = 0;
    int32_t bytes = 0;
};

struct SkinInfluence {
    uint32_t bone = 0;
    float weight = 0;
};

// Everything a mesh file holds, validated: every index is below vertexCount, every bin lies inside
// the index data (or the vertices when there is none), every influence names an existing bone and
// there is one box per bin when boxes are present. The render layer builds its buffers from this.
struct MeshData {
    static constexpr uint16_t version101 = 0x0101;
    static constexpr uint16_t version102 = 0x0102;

    uint16_t version = version102;
    uint32_t flags = 0;
    uint32_t vertexCount = 0;
    uint32_t vertexSize = 0;
    std::vector<MeshElement> elements;
    std::vector<uint8_t> vertices;
    uint16_t indexSize = 2;
    uint32_t indexCount = 0;
    std::vector<uint8_t> indices;
    std::vector<IndexBin> bins;
    std::vector<std::string> boneNames;
    std::vector<SkinInfluence> influences;
    std::vector<BoundingBox> bounds;

    // Bytes per vertex for a set of attribute flags (only bits 0–5 count), and the elements of
    // that layout with their running offsets.
    static uint32_t vertexSizeFor(uint32_t flags);
    static std::vector<MeshElement> elementsFor(uint32_t flags);

    uint32_t index(size_t i) const;
};
