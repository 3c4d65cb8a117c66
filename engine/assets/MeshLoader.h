#pragma once

#include "assets/Loader.h"
#include "assets/SoftwareMesh.h"

class InputStream;
class Mesh;

// Base of the loaders that read models, into GPU buffers (a current GL context is needed) or
// into CPU memory.
class MeshLoader : public Loader {
public:
    explicit MeshLoader(std::string extensions) : Loader(std::move(extensions)) {}

    // Kept so that the operations below stay in their established places; nothing calls it.
    virtual Ref<Object> reserved1() { return nullptr; }
    // Reads from the stream's current position; the caller keeps ownership.
    [[nodiscard]] virtual Ref<Mesh> loadFromStream(InputStream& in) = 0;
    [[nodiscard]] virtual Ref<Mesh> load(const std::string& path) = 0;

    [[nodiscard]] virtual Ref<SoftwareMesh> loadSoftware(const std::string& path) = 0;
};
