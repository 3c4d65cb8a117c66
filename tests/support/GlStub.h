#pragma once

#include <cstddef>

// A counting no-op GL for measuring what the engine itself costs per frame: while one exists,
// the GLEW entry points the render layer and the post-processing chain use do nothing but count.
// The GL 1.1 entry points libGL exports directly (draws, texture binds, viewport, enables) are
// swallowed and counted too in binaries linked with the call recorder's wrap options; elsewhere
// they still reach the driver. One stub at a time; the pointers come back when it goes.
class GlStub {
public:
    GlStub();
    ~GlStub();
    GlStub(const GlStub&) = delete;
    GlStub& operator=(const GlStub&) = delete;

    // Calls swallowed since the stub started.
    static size_t calls();
    // Used by the recorder's GL 1.1 wrappers: true (and counted) while a stub is active.
    static bool swallowDirect();
};
