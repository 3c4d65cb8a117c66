#pragma once

#include <string>

// One hidden SDL window with a GL 4.3 core context per test binary (Mesa's llvmpipe under Xvfb
// in CI), created on first use and kept current until the process ends.
class GlContext {
public:
    // Creates the context if needed; answers false (see error()) when no context can be had.
    static bool ensure();
    static const std::string& error();
};
