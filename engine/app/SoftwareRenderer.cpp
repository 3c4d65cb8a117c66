#include "app/SoftwareRenderer.h"

#include <cstdlib>
#include <string>
#include <thread>

void tuneSoftwareRenderer() {
    if (std::getenv("LP_NUM_THREADS"))
        return;
    const unsigned processors = std::thread::hardware_concurrency();
    // llvmpipe takes at most 16 rasteriser threads.
    const unsigned threads = processors == 0 ? 2 : (processors + 1 > 16 ? 16 : processors + 1);
    setenv("LP_NUM_THREADS", std::to_string(threads).c_str(), 0);
}
