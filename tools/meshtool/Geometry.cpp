#include "Geometry.h"

#include "assets/PNGLoader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

void Geometry::startGroup() {
    uint32_t end = uint32_t(indices.size());
    if (groups.empty() || groups.back().first != end)
        groups.push_back({end, 0});
}

namespace {

constexpr float pi = 3.14159265358979f;

void closeGroups(Geometry& g) {
    if (g.groups.empty())
        g.groups.push_back({0, 0});
    for (size_t i = 0; i < g.groups.size(); ++i) {
        uint32_t end = i + 1 < g.groups.size() ? g.groups[i + 1].first : uint32_t(g.indices.size());
        g.groups[i].count = end - g.groups[i].first;
    }
    // Empty groups (a material switch with no faces) make no bins.
    g.groups.erase(std::remove_if(g.groups.begin(), g.groups.end(),
                                  [](const Geometry::Group& gr) { return gr.count == 0; }),
                   g.groups.end());
}

std::vector<Vec3> faceNormals(const Geometry& g) {
    std::vector<Vec3> n(g.positions.size());
    for (size_t t = 0; t + 2 < g.indices.size(); t += 3) {
        const Vec3& a = g.positions[g.indices[t]];
        Vec3 face = (g.positions[g.indices[t + 1]] - a).cross(g.positions[g.indices[t + 2]] - a);
        for (int k = 0; k < 3; ++k)
            n[g.indices[t + size_t(k)]] += face;
    }
    for (Vec3& v : n)
        v = v.normalized();
    return n;
}

// Per-vertex tangents from texture-coordinate gradients, orthogonalised against the normal; w
// holds the handedness of the (tangent, bitangent, normal) frame.
std::vector<float> tangents(const Geometry& g) {
    size_t n = g.positions.size();
    std::vector<Vec3> tan(n), bitan(n);
    for (size_t t = 0; t + 2 < g.indices.size(); t += 3) {
        uint32_t i0 = g.indices[t], i1 = g.indices[t + 1], i2 = g.indices[t + 2];
        Vec3 e1 = g.positions[i1] - g.positions[i0], e2 = g.positions[i2] - g.positions[i0];
        Vec2 d1 = {g.texCoords[i1].x - g.texCoords[i0].x, g.texCoords[i1].y - g.texCoords[i0].y};
        Vec2 d2 = {g.texCoords[i2].x - g.texCoords[i0].x, g.texCoords[i2].y - g.texCoords[i0].y};
        float det = d1.x * d2.y - d2.x * d1.y;
        if (std::fabs(det) < 1e-12f)
            continue;
        float r = 1.0f / det;
        Vec3 s = (e1 * d2.y - e2 * d1.y) * r;
        Vec3 u = (e2 * d1.x - e1 * d2.x) * r;
        for (uint32_t i : {i0, i1, i2}) {
            tan[i] += s;
            bitan[i] += u;
        }
    }
    std::vector<float> out(n * 4);
    for (size_t i = 0; i < n; ++i) {
        const Vec3& nrm = g.normals[i];
        Vec3 t = (tan[i] - nrm * nrm.dot(tan[i])).normalized();
        if (t == Vec3()) {
            // No usable texture gradient: any unit vector perpendicular to the normal.
            Vec3 axis = std::fabs(nrm.x) < 0.9f ? Vec3(1, 0, 0) : Vec3(0, 1, 0);
            t = axis.cross(nrm).cross(nrm).normalized() * -1.0f;
        }
        float w = nrm.cross(t).dot(bitan[i]) < 0 ? -1.0f : 1.0f;
        out[i * 4] = t.x;
        out[i * 4 + 1] = t.y;
        out[i * 4 + 2] = t.z;
        out[i * 4 + 3] = w;
    }
    return out;
}

// An explicit skin must give every vertex at least one influence, name only listed bones and
// carry a positive weight in total (the packer divides by it).
bool checkSkin(const Geometry& g, std::string& error) {
    if (g.skin.size() != g.positions.size()) {
        error = "the skin has " + std::to_string(g.skin.size()) + " influence lists for " +
                std::to_string(g.positions.size()) + " vertices";
        return false;
    }
    for (size_t i = 0; i < g.skin.size(); ++i) {
        float sum = 0;
        for (const SkinInfluence& s : g.skin[i]) {
            if (s.bone >= g.boneNames.size() || !(s.weight >= 0)) {
                error = "vertex " + std::to_string(i) + " names bone " + std::to_string(s.bone) + " of " +
                        std::to_string(g.boneNames.size()) + " or has a negative weight";
                return false;
            }
            sum += s.weight;
        }
        if (!(sum > 0)) {
            error = "vertex " + std::to_string(i) + " has no weight on any bone";
            return false;
        }
    }
    return true;
}

void put(std::vector<uint8_t>& dst, size_t& at, const void* src, size_t size) {
    std::memcpy(dst.data() + at, src, size);
    at += size;
}

} // namespace

bool packGeometry(Geometry& g, const PackOptions& o, MeshData& out, std::string& error) {
    closeGroups(g);
    size_t n = g.positions.size();
    if (n > std::numeric_limits<uint32_t>::max()) {
        error = "too many vertices";
        return false;
    }
    if (g.normals.size() != n)
        g.normals = faceNormals(g);
    if (g.texCoords.size() != n)
        g.texCoords.assign(n, Vec2());
    int indexSize = o.indexSize ? o.indexSize : (n <= 65536 ? 2 : 4);
    if (indexSize == 2 && n > 65536) {
        error = "16-bit indices cannot address " + std::to_string(n) + " vertices";
        return false;
    }
    const bool ownSkin = !g.boneNames.empty();
    if (o.flags & MeshSkin && !ownSkin && o.bones < 1) {
        error = "a skinned mesh needs at least one bone";
        return false;
    }
    if (o.flags & MeshSkin && ownSkin && !checkSkin(g, error))
        return false;

    out = MeshData();
    out.version = o.version;
    out.flags = o.flags & 0x3f;
    out.vertexCount = uint32_t(n);
    out.vertexSize = MeshData::vertexSizeFor(out.flags);
    out.elements = MeshData::elementsFor(out.flags);

    float minY = 0, maxY = 0;
    for (size_t i = 0; i < n; ++i) {
        minY = i ? std::min(minY, g.positions[i].y) : g.positions[i].y;
        maxY = i ? std::max(maxY, g.positions[i].y) : g.positions[i].y;
    }
    std::vector<float> tan = (out.flags & MeshTangent) ? tangents(g) : std::vector<float>();

    out.vertices.resize(size_t(n) * out.vertexSize);
    size_t at = 0;
    for (size_t i = 0; i < n; ++i) {
        if (out.flags & MeshPosition)
            put(out.vertices, at, &g.positions[i], 12);
        if (out.flags & MeshNormal)
            put(out.vertices, at, &g.normals[i], 12);
        if (out.flags & MeshTangent)
            put(out.vertices, at, &tan[i * 4], 16);
        if (out.flags & MeshTexCoord)
            put(out.vertices, at, &g.texCoords[i], 8);
        if (out.flags & MeshColor) {
            const Vec3& nrm = g.normals[i];
            uint8_t c[4] = {uint8_t(std::lround((nrm.x * 0.5f + 0.5f) * 255)),
                            uint8_t(std::lround((nrm.y * 0.5f + 0.5f) * 255)),
                            uint8_t(std::lround((nrm.z * 0.5f + 0.5f) * 255)), 255};
            put(out.vertices, at, c, 4);
        }
        if (out.flags & MeshSkin) {
            // The vertex names its run of influences: the first one and how many.
            uint32_t ref[2] = {uint32_t(out.influences.size()), 0};
            if (ownSkin) {
                float sum = 0;
                for (const SkinInfluence& s : g.skin[i])
                    sum += s.weight;
                for (const SkinInfluence& s : g.skin[i])
                    out.influences.push_back({s.bone, s.weight / sum});
            } else {
                // Two influences: the bones on either side of its height, weighted by distance.
                float span = maxY > minY ? maxY - minY : 1.0f;
                float s = (g.positions[i].y - minY) / span * float(o.bones - 1);
                uint32_t lo = uint32_t(std::min(std::max(std::floor(s), 0.0f), float(o.bones - 1)));
                uint32_t hi = std::min(lo + 1, uint32_t(o.bones - 1));
                float w = std::min(std::max(s - float(lo), 0.0f), 1.0f);
                out.influences.push_back({lo, 1.0f - w});
                out.influences.push_back({hi, w});
            }
            ref[1] = uint32_t(out.influences.size()) - ref[0];
            put(out.vertices, at, ref, 8);
        }
    }
    if (out.flags & MeshSkin && ownSkin)
        out.boneNames = g.boneNames;
    else if (out.flags & MeshSkin)
        for (int b = 0; b < o.bones; ++b)
            out.boneNames.push_back("bone" + std::to_string(b));

    out.indexSize = uint16_t(indexSize);
    out.indexCount = uint32_t(g.indices.size());
    out.indices.resize(g.indices.size() * size_t(indexSize));
    for (size_t i = 0; i < g.indices.size(); ++i) {
        if (indexSize == 2) {
            uint16_t v = uint16_t(g.indices[i]);
            std::memcpy(out.indices.data() + i * 2, &v, 2);
        } else {
            std::memcpy(out.indices.data() + i * 4, &g.indices[i], 4);
        }
    }

    for (const Geometry::Group& gr : g.groups) {
        IndexBin bin;
        bin.first = gr.first;
        bin.count = gr.count;
        bin.primitive = 4;
        BoundingBox box;
        for (uint32_t k = 0; k < gr.count; ++k) {
            uint32_t v = g.indices[gr.first + k];
            bin.lowest = k ? std::min(bin.lowest, v) : v;
            bin.highest = k ? std::max(bin.highest, v) : v;
            if (k == 0)
                box.setMinMax(g.positions[v], g.positions[v]);
            else
                box.grow(g.positions[v]);
        }
        out.bins.push_back(bin);
        if (o.version == MeshData::version102)
            out.bounds.push_back(box);
    }
    return true;
}

void makeBox(Geometry& g, Vec3 size) {
    Vec3 h = size * 0.5f;
    // Each face: normal, and two axes spanning it (u × v = normal).
    const Vec3 faces[6][3] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    };
    g.startGroup();
    for (const auto& f : faces) {
        uint32_t base = uint32_t(g.positions.size());
        for (int k = 0; k < 4; ++k) {
            float su = (k == 1 || k == 2) ? 1.0f : -1.0f;
            float sv = k >= 2 ? 1.0f : -1.0f;
            Vec3 p = f[0] + f[1] * su + f[2] * sv;
            g.positions.push_back({p.x * h.x, p.y * h.y, p.z * h.z});
            g.normals.push_back(f[0]);
            g.texCoords.push_back({su * 0.5f + 0.5f, sv * 0.5f + 0.5f});
        }
        for (uint32_t k : {0u, 1u, 2u, 0u, 2u, 3u})
            g.indices.push_back(base + k);
    }
}

void makeSphere(Geometry& g, float radius, int segments, int rings) {
    g.startGroup();
    uint32_t base = uint32_t(g.positions.size());
    for (int r = 0; r <= rings; ++r) {
        float v = float(r) / float(rings);
        float theta = v * pi;
        for (int s = 0; s <= segments; ++s) {
            float u = float(s) / float(segments);
            float phi = u * 2 * pi;
            Vec3 n = {std::sin(theta) * std::cos(phi), -std::cos(theta), -std::sin(theta) * std::sin(phi)};
            g.positions.push_back(n * radius);
            g.normals.push_back(n);
            g.texCoords.push_back({u, v});
        }
    }
    uint32_t row = uint32_t(segments + 1);
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            uint32_t a = base + uint32_t(r) * row + uint32_t(s), b = a + 1, c = a + row, d = c + 1;
            // The pole rows collapse to a point: one triangle per cell there, not two.
            if (r > 0)
                g.indices.insert(g.indices.end(), {a, b, d});
            if (r + 1 < rings)
                g.indices.insert(g.indices.end(), {a, d, c});
        }
}

void makeCylinder(Geometry& g, float radius, float height, int segments) {
    g.startGroup();
    uint32_t base = uint32_t(g.positions.size());
    float h = height * 0.5f;
    for (int s = 0; s <= segments; ++s) {
        float u = float(s) / float(segments);
        float phi = u * 2 * pi;
        Vec3 n = {std::cos(phi), 0, -std::sin(phi)};
        for (int e = 0; e < 2; ++e) {
            g.positions.push_back({n.x * radius, e ? h : -h, n.z * radius});
            g.normals.push_back(n);
            g.texCoords.push_back({u, float(e)});
        }
    }
    for (int s = 0; s < segments; ++s) {
        uint32_t a = base + uint32_t(s) * 2;
        for (uint32_t k : {a, a + 2, a + 3, a, a + 3, a + 1})
            g.indices.push_back(k);
    }
    // Caps: a centre vertex and a ring of their own, so their normals stay flat.
    for (int e = 0; e < 2; ++e) {
        float y = e ? h : -h;
        Vec3 n = {0, e ? 1.0f : -1.0f, 0};
        uint32_t centre = uint32_t(g.positions.size());
        g.positions.push_back({0, y, 0});
        g.normals.push_back(n);
        g.texCoords.push_back({0.5f, 0.5f});
        for (int s = 0; s <= segments; ++s) {
            float phi = float(s) / float(segments) * 2 * pi;
            g.positions.push_back({std::cos(phi) * radius, y, -std::sin(phi) * radius});
            g.normals.push_back(n);
            g.texCoords.push_back({std::cos(phi) * 0.5f + 0.5f, std::sin(phi) * 0.5f + 0.5f});
        }
        for (int s = 0; s < segments; ++s) {
            uint32_t a = centre + 1 + uint32_t(s);
            if (e)
                g.indices.insert(g.indices.end(), {centre, a, a + 1});
            else
                g.indices.insert(g.indices.end(), {centre, a + 1, a});
        }
    }
}

bool makePlane(Geometry& g, float size, int cells, const std::string& heightMap, float height,
               std::string& error) {
    DecodedImage image;
    if (!heightMap.empty()) {
        PNGLoader png;
        if (!png.decode(heightMap, image)) {
            error = "cannot decode the height map " + heightMap;
            return false;
        }
    }
    g.startGroup();
    uint32_t base = uint32_t(g.positions.size());
    for (int z = 0; z <= cells; ++z)
        for (int x = 0; x <= cells; ++x) {
            float u = float(x) / float(cells), v = float(z) / float(cells);
            float y = 0;
            if (!image.pixels.empty()) {
                // Rows are stored bottom-up, so v = 0 (the near edge, +Z) samples the picture's bottom.
                int px = std::min(int(u * float(image.width)), image.width - 1);
                int py = std::min(int(v * float(image.height)), image.height - 1);
                y = image.pixels[(size_t(py) * size_t(image.width) + size_t(px)) * size_t(image.channels)] /
                    255.0f * height;
            }
            g.positions.push_back({(u - 0.5f) * size, y, (0.5f - v) * size});
            g.texCoords.push_back({u, v});
        }
    uint32_t row = uint32_t(cells + 1);
    for (int z = 0; z < cells; ++z)
        for (int x = 0; x < cells; ++x) {
            uint32_t a = base + uint32_t(z) * row + uint32_t(x), b = a + 1, c = a + row, d = c + 1;
            g.indices.insert(g.indices.end(), {a, b, d, a, d, c});
        }
    // Displaced planes need normals from their faces; the packer computes them when absent.
    if (!g.normals.empty() && g.normals.size() != g.positions.size())
        g.normals.clear();
    return true;
}
