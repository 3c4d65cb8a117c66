#pragma once

#include "assets/IndexBin.h"
#include "assets/Mesh.h"
#include "core/Object.h"
#include "scene/ShapeFunctor.h"

#include <cstdint>
#include <memory>
#include <vector>

// Generates a closed tube mesh by sweeping 2D cross-sections along paths: every extrusion is one
// cross-section, one path (a ShapeFunctor) and a parameter range. All extrusions go into one
// vertex buffer (position, normal, texture coordinate; 32 bytes a vertex) and one index buffer,
// with one index bin per extrusion or a single bin for all.
class ShapeExtrude : public Object {
public:
    struct SegmentInfo {
        float start = 0, stop = 0, length = 0;
        uint32_t rings = 0;
        uint32_t firstVertex = 0;
        uint32_t firstCapEnd = 0;
        uint32_t secondCapStart = 0;
        uint32_t vertexCount = 0;
        uint32_t firstIndex = 0;
        uint32_t indexCount = 0;
    };
    struct Point {
        float x, y, nx, ny;
    };
    // Generations larger than this are refused: the counts come from scene files, and every ring
    // evaluates the path's envelopes.
    static constexpr uint64_t kMaxVertices = 1u << 20;
    static constexpr uint64_t kMaxRings = 1u << 16;

    void beginShape();
    // Appends to the last cross-section (starting one when none was begun).
    void addPoint(float x, float y, float nx, float ny);
    void addExtrusion(std::unique_ptr<ShapeFunctor> functor, float start, float stop);

    // The vertices (8 floats each), indices and bins of every extrusion, without GL. False when an
    // extrusion has fewer than two rings, a cross-section has fewer than two points, or the mesh
    // would have more than kMaxVertices vertices or kMaxRings rings.
    [[nodiscard]] bool build(bool singleIndexBin, bool oriented, std::vector<float>& vertices,
                             std::vector<uint32_t>& indices, std::vector<IndexBin>& bins);
    // Builds and uploads a new mesh (16-bit indices below 65536 indices, else 32-bit), which
    // replaces the previous one; null when build refuses. Needs a current GL context.
    Ref<Mesh> generate(bool singleIndexBin, bool dynamic, bool oriented);

    const std::vector<SegmentInfo>& segmentsInfo() const { return segmentsInfo_; }
    const Ref<Mesh>& mesh() const { return mesh_; }
    size_t extrusionCount() const { return functors_.size(); }

    float wrapU = 1, wrapV = 1;
    float capWrapU = 1, capWrapV = 1;
    int32_t segments = 8;

private:
    struct CapVertex {
        Vec3 position, normal;
        float u, v;
    };
    void emitRings(size_t i, std::vector<float>& out);
    void emitRingsOriented(size_t i, std::vector<float>& out);
    void emitCaps(size_t i, std::vector<float>& out);
    static void emitIndices(const SegmentInfo& s, uint32_t n, std::vector<uint32_t>& out);

    std::vector<std::unique_ptr<ShapeFunctor>> functors_;
    std::vector<std::pair<float, float>> ranges_;
    Ref<Mesh> mesh_;
    std::vector<std::vector<Point>> shapes_;
    std::vector<CapVertex> firstCap_, lastCap_;
    std::vector<SegmentInfo> segmentsInfo_;
    uint32_t vertexCount_ = 0;
    bool singleIndexBin_ = false, dynamic_ = false, oriented_ = false;
};
