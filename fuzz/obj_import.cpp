// meshtool's OBJ import and the packing into the mesh format that follows it, over fuzzed files.
#include "Geometry.h"

#include "TempInputFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TempInputFile file;
    Geometry g;
    std::string error;
    if (!importObj(file.write(data, size), g, error))
        return 0;
    PackOptions options;
    options.flags = MeshPosition | MeshNormal | MeshTangent | MeshTexCoord;
    MeshData mesh;
    // Refusing the geometry is as good an outcome as packing it; only how it ends matters here.
    static_cast<void>(packGeometry(g, options, mesh, error));
    return 0;
}
