#include "TestFiles.h"

#include "support/ImageFiles.h"
#include "support/MeshFiles.h"
#include "support/TempDir.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::vector<uint8_t> encodePng(int width, int height, int channels, const std::vector<uint8_t>& rows) {
    static const int colorTypes[5] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                      PNG_COLOR_TYPE_RGBA};
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorTypes[channels];
    spec.rows = rows;
    return encodePng(spec);
}

bool writePng(const std::string& path, int width, int height, int channels,
              const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> bytes = encodePng(width, height, channels, rows);
    return !bytes.empty() && writeFile(path, bytes.data(), bytes.size());
}

bool writeJpeg(const std::string& path, int width, int height, int channels,
               const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> bytes = encodeJpeg(width, height, channels, rows);
    return !bytes.empty() && writeFile(path, bytes.data(), bytes.size());
}

std::vector<uint8_t> patternRows(int width, int height, int channels, int seed) {
    std::vector<uint8_t> rows(size_t(width) * size_t(height) * size_t(channels));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = uint8_t(i * 7 + size_t(seed) * 53 + 1);
    return rows;
}

std::vector<uint8_t> bottomUp(const std::vector<uint8_t>& rows, int height) {
    size_t rowBytes = rows.size() / size_t(height);
    std::vector<uint8_t> out;
    out.reserve(rows.size());
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), rows.begin() + long(size_t(y) * rowBytes),
                   rows.begin() + long(size_t(y + 1) * rowBytes));
    return out;
}

MeshData quadMesh(uint32_t flags, uint16_t version, uint16_t indexSize) {
    // The shared sample, moved off the origin so that boxes computed from positions are told apart
    // from the stored ones.
    MeshData m = sampleMesh(flags, version, indexSize);
    const float corners[4][3] = {{-1, 0, 2}, {3, 0, 2}, {3, 5, 2}, {-1, 5, 2}};
    if (flags & MeshPosition)
        for (uint32_t v = 0; v < 4; ++v)
            std::memcpy(&m.vertices[v * m.vertexSize], corners[v], 12);
    if (version == MeshData::version102)
        m.bounds = {BoundingBox::fromMinMax({-1, 0, 2}, {3, 5, 2}),
                    BoundingBox::fromMinMax({-7, -8, -9}, {1, 2, 3})};
    return m;
}
