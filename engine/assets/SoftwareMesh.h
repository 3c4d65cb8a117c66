#pragma once

#include "assets/IndexBin.h"
#include "assets/MeshData.h"
#include "core/Object.h"
#include "math/Vec2.h"
#include "math/Vec3.h"
#include "math/Vec4.h"

#include <cstdint>
#include <string>
#include <vector>

// A mesh unpacked into CPU memory for geometry work (picking, neighbour searches, procedural
// edits): every attribute of every vertex, widened indices, and one plane per triangle.
class SoftwareMesh : public Object {
public:
    static constexpr int maxNeighbours = 16;

    struct Vertex {
        Vec3 position;
        Vec3 normal;
        Vec4 tangent;
        Vec2 texCoord;
        uint8_t color[4] = {0, 0, 0, 0};
        uint32_t boneIndex[2] = {0, 0};
        int32_t neighbours[maxNeighbours];
        int32_t neighbourCount = 0;
        Vertex();
    };

    struct Triangle {
        uint32_t index[3] = {0, 0, 0};
        Vec3 normal;
        float d = 0; // plane: normal · p + d = 0
        int32_t neighbours[maxNeighbours];
        int32_t neighbourCount = 0;
        Triangle();
    };

    // Builds the mesh from validated file data (every index below the vertex count).
    static Ref<SoftwareMesh> fromData(const MeshData& data);

    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;
    std::vector<uint32_t> indices;
    std::vector<std::string> boneNames;
    std::vector<SkinInfluence> influences;
    std::vector<IndexBin> bins;
};
