#pragma once

#include "assets/MeshData.h"

#include <string>

class OutputStream;

// Writes mesh data in the chunked mesh format, the inverse of RAWMeshLoader::read. The data must
// be consistent (vertex and index byte counts matching the counts, one box per bin for version
// 0x0102, bone names shorter than 128 bytes); inconsistent data is refused with a diagnostic.
class MeshWriter {
public:
    static bool write(OutputStream& out, const MeshData& mesh);
    // Compresses with gzip when `gzip` is set or the path contains ".rmzh", as the reader expects.
    [[nodiscard]] static bool writeFile(const std::string& path, const MeshData& mesh, bool gzip = false);
};
