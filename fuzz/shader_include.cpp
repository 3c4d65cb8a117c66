// Include expansion of shader sources: the input is split at NUL bytes into a main text and the
// files it may include, named "0", "1", ... in order.
#include "assets/ShaderLoader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && parts.size() < 16)
            parts.emplace_back();
        else
            parts.back().push_back(char(data[i]));
    }
    auto read = [&](const std::string& name) {
        if (name.size() == 1 && name[0] >= '0' && name[0] <= '9' && size_t(name[0] - '0') + 1 < parts.size())
            return parts[size_t(name[0] - '0') + 1];
        return std::string();
    };
    std::string out;
    ShaderLoader::expandIncludes(parts[0], "fuzz.vert", read, &out);
    return 0;
}
