#include "scene/ShapeExtrude.h"

#include "math/Mat4.h"
#include "render/CodeTables.h"
#include "render/Gl.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kStride = 32;
constexpr int kUsageDynamicDraw = 6;

void pushVertex(std::vector<float>& out, const Vec3& p, const Vec3& n, float u, float v) {
    const float f[8] = {p.x, p.y, p.z, n.x, n.y, n.z, u, v};
    out.insert(out.end(), f, f + 8);
}

// Rows of the ring frame of heading h, pitch p and bank b.
Mat4 ringFrame(float h, float p, float b) {
    const float ch = std::cos(h), sh = std::sin(h), cp = std::cos(p), sp = std::sin(p);
    const float cb = std::cos(b), sb = std::sin(b);
    const float v[16] = {
        cb * ch,  sp * sh - cp * ch * sb, sp * ch * sb + cp * sh, 0, sb, cb * cp, -cb * sp, 0,
        -cb * sh, cp * sh * sb + sp * ch, cp * ch - sp * sh * sb, 0, 0,  0,       0,        1};
    return Mat4::fromValues(v);
}

} // namespace

void ShapeExtrude::beginShape() {
    shapes_.emplace_back();
}

void ShapeExtrude::addPoint(float x, float y, float nx, float ny) {
    if (shapes_.empty())
        beginShape();
    shapes_.back().push_back({x, y, nx, ny});
}

void ShapeExtrude::addExtrusion(std::unique_ptr<ShapeFunctor> functor, float start, float stop) {
    functors_.push_back(std::move(functor));
    ranges_.emplace_back(start, stop);
}

bool ShapeExtrude::build(bool singleIndexBin, bool oriented, std::vector<float>& vertices,
                         std::vector<uint32_t>& indices, std::vector<IndexBin>& bins) {
    singleIndexBin_ = singleIndexBin;
    oriented_ = oriented;
    segmentsInfo_.clear();
    vertices.clear();
    indices.clear();
    bins.clear();
    if (functors_.empty() || shapes_.size() < functors_.size())
        return false;
    uint64_t totalVertices = 0, totalIndices = 0, totalRings = 0;
    for (size_t i = 0; i < functors_.size(); ++i) {
        SegmentInfo s;
        s.start = ranges_[i].first;
        s.stop = ranges_[i].second;
        s.length = s.stop - s.start;
        // Compared in double so that huge or non-finite ranges are refused, never converted.
        const double rings = std::trunc(double(s.length) * double(segments));
        const uint64_t n = shapes_[i].size();
        if (!functors_[i] || !(rings >= 2) || rings > double(kMaxRings) || n < 2)
            return false;
        s.rings = uint32_t(rings);
        totalRings += s.rings;
        s.firstVertex = uint32_t(totalVertices);
        s.firstIndex = uint32_t(totalIndices);
        const uint64_t count = uint64_t(s.rings) * n + 2 * n + 2;
        totalVertices += count;
        totalIndices += 6 * n * s.rings;
        if (totalVertices > kMaxVertices || totalRings > kMaxRings)
            return false;
        s.vertexCount = uint32_t(count);
        s.indexCount = uint32_t(6 * n * s.rings);
        s.firstCapEnd = s.firstVertex + s.rings * uint32_t(n) + uint32_t(n);
        s.secondCapStart = s.firstCapEnd + 1;
        segmentsInfo_.push_back(s);
    }
    vertexCount_ = uint32_t(totalVertices);
    vertices.reserve(size_t(totalVertices) * 8);
    indices.reserve(size_t(totalIndices));
    for (size_t i = 0; i < functors_.size(); ++i) {
        if (oriented)
            emitRingsOriented(i, vertices);
        else
            emitRings(i, vertices);
        emitCaps(i, vertices);
        emitIndices(segmentsInfo_[i], uint32_t(shapes_[i].size()), indices);
    }
    if (singleIndexBin) {
        IndexBin bin;
        bin.first = 0;
        bin.count = uint32_t(totalIndices);
        bin.reserved = bin.count - 1;
        bin.lowest = 0;
        bin.highest = uint32_t(totalVertices) - 1;
        bins.push_back(bin);
    } else {
        for (const SegmentInfo& s : segmentsInfo_) {
            IndexBin bin;
            bin.first = s.firstIndex;
            bin.reserved = s.firstIndex + s.indexCount - 1;
            bin.count = s.indexCount;
            bin.lowest = s.firstVertex;
            bin.highest = s.firstVertex + s.vertexCount - 1;
            bins.push_back(bin);
        }
    }
    return true;
}

void ShapeExtrude::emitRings(size_t i, std::vector<float>& out) {
    const SegmentInfo& s = segmentsInfo_[i];
    const std::vector<Point>& shape = shapes_[i];
    const ShapeFunctor& path = *functors_[i];
    const size_t n = shape.size();
    const float step = s.length / float(s.rings);
    Vec3 p0, p1;
    float radius = 0;
    path.evaluate(s.start, p0, radius);
    path.evaluate(s.start + step, p1, radius);
    const Vec3 t0 = (p1 - p0).normalized();
    // A degenerate path gives zero frame vectors (normalized keeps zero), never NaN.
    Vec3 w = t0.cross(p0 + p1).normalized();
    Vec3 previous = p0;
    firstCap_.clear();
    lastCap_.clear();
    for (uint32_t k = 0; k < s.rings; ++k) {
        const float t = s.start + float(k) * step;
        Vec3 p;
        path.evaluate(t, p, radius);
        const Vec3 tangent = k == 0 ? t0 : (p - previous).normalized();
        const Vec3 side = w.cross(tangent).normalized();
        w = tangent.cross(side).normalized();
        previous = p;
        for (size_t j = 0; j < n; ++j) {
            const Point& q = shape[j];
            const Vec3 position = p + (q.y * radius) * w + (q.x * radius) * side;
            const Vec3 normal = (q.nx * side + q.ny * w).normalized();
            pushVertex(out, position, normal, wrapU * float(j) / float(n - 1), wrapV * (t - s.start));
            if (k == 0)
                firstCap_.push_back({position, tangent, capWrapU * q.x, capWrapV * q.y});
            if (k + 1 == s.rings)
                lastCap_.push_back({position, tangent, capWrapU * q.x, capWrapV * q.y});
        }
    }
}

void ShapeExtrude::emitRingsOriented(size_t i, std::vector<float>& out) {
    const SegmentInfo& s = segmentsInfo_[i];
    const std::vector<Point>& shape = shapes_[i];
    const ShapeFunctor& path = *functors_[i];
    const size_t n = shape.size();
    // Rings include both ends of the range here.
    const float step = s.length / float(s.rings - 1);
    firstCap_.clear();
    lastCap_.clear();
    for (uint32_t k = 0; k < s.rings; ++k) {
        const float t = s.start + float(k) * step;
        Vec3 p, rotation;
        float radius = 0;
        path.evaluateOriented(t, p, rotation, radius);
        const Mat4 frame = ringFrame(rotation.x, rotation.y, rotation.z);
        const Vec3 capNormal = Mat4::transformVector(frame, Vec3(0, 1, 0));
        for (size_t jj = n; jj-- > 0;) {
            const Point& q = shape[jj];
            const Vec3 position = p - Mat4::transformVector(frame, Vec3(q.x * radius, 0, q.y * radius));
            const Vec3 normal = Mat4::transformVector(frame, Vec3(q.nx, 0, q.ny));
            pushVertex(out, position, normal, wrapU * float(jj) / float(n - 1), wrapV * (t - s.start));
            if (k == 0)
                firstCap_.push_back({position, capNormal, capWrapU * q.x, capWrapV * q.y});
            if (k + 1 == s.rings)
                lastCap_.push_back({position, capNormal, capWrapU * q.x, capWrapV * q.y});
        }
    }
}

void ShapeExtrude::emitCaps(size_t, std::vector<float>& out) {
    auto centre = [](const std::vector<CapVertex>& cap, Vec3& position, float& u, float& v) {
        position = Vec3();
        u = v = 0;
        for (const CapVertex& c : cap) {
            position += c.position;
            u += c.u;
            v += c.v;
        }
        const float scale = 1.0f / float(cap.size());
        position *= scale;
        u *= scale;
        v *= scale;
    };
    Vec3 position;
    float u, v;
    for (size_t q = firstCap_.size(); q-- > 0;)
        pushVertex(out, firstCap_[q].position, -firstCap_[q].normal, firstCap_[q].u, firstCap_[q].v);
    centre(firstCap_, position, u, v);
    pushVertex(out, position, -firstCap_.front().normal, u, v);
    for (const CapVertex& c : lastCap_)
        pushVertex(out, c.position, c.normal, c.u, c.v);
    centre(lastCap_, position, u, v);
    pushVertex(out, position, lastCap_.front().normal, u, v);
}

void ShapeExtrude::emitIndices(const SegmentInfo& s, uint32_t n, std::vector<uint32_t>& out) {
    const uint32_t vf = s.firstVertex, m = s.rings;
    for (uint32_t i = 0; i + 1 < m; ++i) {
        const uint32_t a = vf + n * i, b = vf + n * (i + 1);
        for (uint32_t j = 0; j < n; ++j) {
            const uint32_t j1 = (j + 1) % n;
            const uint32_t tri[6] = {a + j, a + j1, b + j1, a + j, b + j1, b + j};
            out.insert(out.end(), tri, tri + 6);
        }
    }
    const uint32_t capStart = vf + m * n;
    const uint32_t c1 = capStart + n;
    for (uint32_t q = n; q-- > 0;) {
        const uint32_t tri[3] = {c1, capStart + q, capStart + (q + 1) % n};
        out.insert(out.end(), tri, tri + 3);
    }
    const uint32_t s2 = c1 + 1, c2 = s2 + n;
    for (uint32_t q = 0; q < n; ++q) {
        const uint32_t tri[3] = {c2, s2 + q, s2 + (q + 1) % n};
        out.insert(out.end(), tri, tri + 3);
    }
}

Ref<Mesh> ShapeExtrude::generate(bool singleIndexBin, bool dynamic, bool oriented) {
    std::vector<float> vertices;
    std::vector<uint32_t> indices;
    std::vector<IndexBin> bins;
    dynamic_ = dynamic;
    if (!build(singleIndexBin, oriented, vertices, indices, bins))
        return nullptr;

    Ref<VertexBuffer> vertexBuffer = makeRef<VertexBuffer>();
    vertexBuffer->setStride(kStride);
    vertexBuffer->setVertexCount(int(vertexCount_));
    vertexBuffer->addElement(0, SemanticPosition, 3, 12);
    vertexBuffer->addElement(12, SemanticNormal, 3, 12);
    vertexBuffer->addElement(24, SemanticTexCoord, 2, 8);
    vertexBuffer->create();
    vertexBuffer->bind();
    vertexBuffer->setData(dynamic ? kUsageDynamicDraw : codes::kUsageStaticDraw,
                          GLsizeiptr(vertices.size() * sizeof(float)), vertices.data());
    vertexBuffer->unbind();

    const bool shortIndices = indices.size() < 65536;
    std::vector<uint16_t> shortData;
    if (shortIndices)
        shortData.assign(indices.begin(), indices.end());
    Ref<IndexBuffer> indexBuffer = makeRef<IndexBuffer>();
    indexBuffer->setIndexSize(shortIndices ? 2 : 4);
    indexBuffer->create();
    // Through the copy-write target: the element array binding belongs to the bound vertex array.
    glBindBuffer(GL_COPY_WRITE_BUFFER, indexBuffer->glName());
    glBufferData(GL_COPY_WRITE_BUFFER,
                 shortIndices ? GLsizeiptr(shortData.size() * 2) : GLsizeiptr(indices.size() * 4),
                 shortIndices ? static_cast<const void*>(shortData.data()) : indices.data(), GL_STATIC_DRAW);
    VORNDLE_GL_CHECK("glBufferData");
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);

    mesh_ = makeRef<Mesh>(vertexBuffer, indexBuffer, std::move(bins));
    mesh_->setCounts(vertexCount_, uint32_t(indices.size()));
    return mesh_;
}
