#include "core/SanitizerSupport.h"

// Mesa unloads its driver when the last display closes; the leak report at exit then finds the
// driver's one-time allocations in no module at all, and the suppression list
// (scripts/lsan.supp) cannot name them. Keeping the driver mapped keeps its name on the report.
#if defined(__SANITIZE_ADDRESS__)
#define VORNDLE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORNDLE_ASAN 1
#endif
#endif

#ifdef VORNDLE_ASAN
#include <dlfcn.h>

void keepGlDriverMapped() {
    static bool done = false;
    if (done)
        return;
    done = true;
    static const char* const drivers[] = {"libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"};
    for (const char* driver : drivers)
        dlopen(driver, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
}
#else
void keepGlDriverMapped() {}
#endif
