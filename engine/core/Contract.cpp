#include "core/Contract.h"

#include <cstdio>
#include <cstdlib>

namespace contract {

void fail(const char* file, int line, const char* function, const char* condition, const char* message) {
    std::fprintf(stderr, "%s:%d: %s: precondition failed: %s (%s)\n", file, line, function, condition,
                 message);
    std::fflush(stderr);
    std::abort();
}

} // namespace contract
