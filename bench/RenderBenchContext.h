#pragma once

#include "support/GlContext.h"

#include <cstdio>
#include <cstdlib>

// The tests' hidden window with a GL 4.3 core context, for the render benchmarks (run under
// xvfb-run); a benchmark without one cannot measure anything, so the run ends.
inline void ensureBenchContext() {
    if (!GlContext::ensure()) {
        std::fprintf(stderr, "%s\n", GlContext::error().c_str());
        std::exit(1);
    }
}
