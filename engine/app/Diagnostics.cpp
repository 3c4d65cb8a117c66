#include "app/Diagnostics.h"

#include <cstdarg>
#include <cstdio>

void diagnostic(const char* file, const char* place, const char* reasonFormat, ...) {
    char reason[512];
    va_list args;
    va_start(args, reasonFormat);
    std::vsnprintf(reason, sizeof reason, reasonFormat, args);
    va_end(args);
    // One fprintf, so the line is written whole even if another thread writes too.
    std::fprintf(stderr, "%s: %s: %s\n", file && *file ? file : "<unknown>", place && *place ? place : "-",
                 reason);
}
