#include "core/Version.h"

#include "BuildVersion.h"

#include <cstdio>
#include <cstring>

const char* projectVersion() {
    return VORNDLE_VERSION;
}

const char* buildCommit() {
    return VORNDLE_COMMIT;
}

bool versionRequested(int argc, const char* const* argv) {
    return argc == 2 && std::strcmp(argv[1], "--version") == 0;
}

int printVersion(const char* program) {
    std::printf("%s %s (commit %s)\n", program, VORNDLE_VERSION, VORNDLE_COMMIT);
    return 0;
}
