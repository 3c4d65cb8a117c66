#pragma once

#include "assets/MeshData.h"
#include "assets/MeshLoader.h"

#include <memory>

// Reads the engine's chunked mesh files (".rmsh", and gzip-compressed ".rmzh"). The reader
// trusts nothing in the file: every count is checked against the bytes that remain before
// anything is allocated, and every index, bin and influence against what it refers to. A file
// that fails any test yields nothing and one diagnostic line.
class RAWMeshLoader : public MeshLoader {
public:
    // Vertex or index data beyond this size is refused even where the stream cannot tell its size.
    static constexpr uint64_t maxPayloadBytes = 1ull << 30;

    RAWMeshLoader() : MeshLoader("rmsh:rmzh") {}

    // Opens a mesh file: through zlib when the path contains ".rmzh" anywhere (not only at the
    // end), as a plain file otherwise. Null, with a diagnostic, when it cannot be opened.
    [[nodiscard]] static std::unique_ptr<InputStream> open(const std::string& path);

    // Reads one mesh from the stream's current position; `out` is left empty on failure.
    [[nodiscard]] static bool read(InputStream& in, MeshData& out);
    [[nodiscard]] static bool readFile(const std::string& path, MeshData& out);

    // Null, with one diagnostic line, when the file cannot be opened or fails any test.
    [[nodiscard]] Ref<Mesh> loadFromStream(InputStream& in) override;
    [[nodiscard]] Ref<Mesh> load(const std::string& path) override;
    [[nodiscard]] Ref<SoftwareMesh> loadSoftware(const std::string& path) override;
    [[nodiscard]] Ref<SoftwareMesh> loadSoftware(InputStream& in);
};
