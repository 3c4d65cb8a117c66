// meshtool's OBJ import and the packing into the mesh format that follows it, over fuzzed files.
#include "Geometry.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

struct TempFile {
    std::string path;
    TempFile() {
        char name[] = "/tmp/vorndle-obj-XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0) {
            std::perror("fuzz_obj_import: mkstemp");
            std::exit(1);
        }
        close(fd);
        path = name;
    }
    ~TempFile() { std::remove(path.c_str()); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TempFile file;
    {
        std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Geometry g;
    std::string error;
    if (!importObj(file.path, g, error))
        return 0;
    PackOptions options;
    options.flags = MeshPosition | MeshNormal | MeshTangent | MeshTexCoord;
    MeshData mesh;
    packGeometry(g, options, mesh, error);
    return 0;
}
