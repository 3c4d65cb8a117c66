// The mesh file reader over arbitrary bytes, followed by the CPU mesh built from what it accepts.
#include "assets/RAWMeshLoader.h"
#include "core/MemoryInputStream.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryInputStream in(data, size, "fuzz");
    MeshData mesh;
    if (RAWMeshLoader::read(in, mesh)) {
        Ref<SoftwareMesh> sw = SoftwareMesh::fromData(mesh);
        for (size_t i = 0; i < mesh.indexCount; ++i)
            if (mesh.index(i) >= mesh.vertexCount)
                __builtin_trap();
    }
    return 0;
}
