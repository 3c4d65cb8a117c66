#include "assets/SoftwareMesh.h"

#include <cstring>

SoftwareMesh::Vertex::Vertex() {
    for (int32_t& n : neighbours)
        n = -1;
}

SoftwareMesh::Triangle::Triangle() {
    for (int32_t& n : neighbours)
        n = -1;
}

namespace {

void readFloats(const uint8_t* p, float* dst, int n) {
    std::memcpy(dst, p, size_t(n) * 4);
}

} // namespace

Ref<SoftwareMesh> SoftwareMesh::fromData(const MeshData& data) {
    Ref<SoftwareMesh> mesh = makeRef<SoftwareMesh>();
    mesh->vertices.resize(data.vertexCount);
    for (uint32_t v = 0; v < data.vertexCount; ++v) {
        const uint8_t* base = data.vertices.data() + size_t(v) * data.vertexSize;
        Vertex& out = mesh->vertices[v];
        for (const MeshElement& e : data.elements) {
            const uint8_t* p = base + e.offset;
            float f[4];
            switch (e.semantic) {
            case SemanticPosition:
                readFloats(p, f, 3);
                out.position = {f[0], f[1], f[2]};
                break;
            case SemanticNormal:
                readFloats(p, f, 3);
                out.normal = {f[0], f[1], f[2]};
                break;
            case SemanticTangent:
                readFloats(p, f, 4);
                out.tangent = {f[0], f[1], f[2], f[3]};
                break;
            case SemanticTexCoord:
                readFloats(p, f, 2);
                out.texCoord = {f[0], f[1]};
                break;
            case SemanticColor:
                std::memcpy(out.color, p, 4);
                break;
            case SemanticBoneIndex:
                std::memcpy(out.boneIndex, p, 8);
                break;
            }
        }
    }
    mesh->indices.resize(data.indexCount);
    for (uint32_t i = 0; i < data.indexCount; ++i)
        mesh->indices[i] = data.index(i);
    mesh->bins = data.bins;
    mesh->boneNames = data.boneNames;
    mesh->influences = data.influences;

    size_t triangles = mesh->indices.size() / 3;
    mesh->triangles.resize(triangles);
    for (size_t t = 0; t < triangles; ++t) {
        Triangle& tri = mesh->triangles[t];
        for (int k = 0; k < 3; ++k)
            tri.index[k] = mesh->indices[t * 3 + size_t(k)];
        const Vec3& p0 = mesh->vertices[tri.index[0]].position;
        const Vec3& p1 = mesh->vertices[tri.index[1]].position;
        const Vec3& p2 = mesh->vertices[tri.index[2]].position;
        tri.normal = (p1 - p0).cross(p2 - p0).normalized();
        tri.d = -tri.normal.dot(p0);
    }
    return mesh;
}
