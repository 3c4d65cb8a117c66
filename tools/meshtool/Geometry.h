#pragma once

#include "assets/MeshData.h"
#include "math/Vec2.h"
#include "math/Vec3.h"

#include <string>
#include <vector>

// Triangle geometry before it is packed into the mesh format: one index list of triangles, split
// into groups that become the index bins.
struct Geometry {
    struct Group {
        uint32_t first = 0;
        uint32_t count = 0;
    };

    std::vector<Vec3> positions;
    std::vector<Vec3> normals;   // empty: computed from the faces
    std::vector<Vec2> texCoords; // empty: all zero
    std::vector<uint32_t> indices;
    std::vector<Group> groups;
    // An explicit skin: the bones by name and every vertex's influences (bone indices into
    // boneNames; the packer scales each vertex's weights to sum to one). Without bone names the
    // packer spaces PackOptions::bones along the Y extent instead.
    std::vector<std::string> boneNames;
    std::vector<std::vector<SkinInfluence>> skin;

    // Closes the open group (if it has triangles) and starts the next one at the end.
    void startGroup();
};

struct PackOptions {
    uint32_t flags = MeshPosition | MeshNormal | MeshTexCoord;
    uint16_t version = MeshData::version102;
    int indexSize = 0; // 0: 2 bytes when every index fits, else 4
    int bones = 2;     // for the skin flag: bones spaced along the Y extent (unless the geometry has its own)
};

// Fills `out` from the geometry; false (with a message in `error`) if the options cannot be met.
[[nodiscard]] bool packGeometry(Geometry& g, const PackOptions& options, MeshData& out, std::string& error);

[[nodiscard]] bool importObj(const std::string& path, Geometry& g, std::string& error);
// A low-poly swallow of 0.9 m wingspan skinned to "body", "wing.L" (+X) and "wing.R" (−X); see Bird.cpp.
void makeBird(Geometry& g);
void makeBox(Geometry& g, Vec3 size);
void makeSphere(Geometry& g, float radius, int segments, int rings);
void makeCylinder(Geometry& g, float radius, float height, int segments);
// A grid of cells × cells quads over [-size/2, size/2]² in XZ; with a height map, y = grey × height.
[[nodiscard]] bool makePlane(Geometry& g, float size, int cells, const std::string& heightMap, float height,
                             std::string& error);
