#pragma once

// Preconditions between modules. A broken one is a fault in the calling code, not in a file, a
// driver or the OS (those go through diagnostic()), so it stops the program at once with one line
// on standard error that names the place, the rule and why it holds:
//   engine/render/Device.cpp:200: bindProgram: precondition failed: program (resetState unbinds)
//
// VORNDLE_EXPECTS is checked in every build: use it where the test is a compare or two.
// VORNDLE_EXPECTS_DEBUG is checked only where assertions are on (debug builds and the sanitizer
// suite): use it inside loops over vertices, pixels or samples, where even a compare shows.
#define VORNDLE_EXPECTS(condition, message)                                                                  \
    (static_cast<bool>(condition) ? void(0)                                                                  \
                                  : ::contract::fail(__FILE__, __LINE__, __func__, #condition, message))

#ifdef NDEBUG
#define VORNDLE_EXPECTS_DEBUG(condition, message) void(0)
#else
#define VORNDLE_EXPECTS_DEBUG(condition, message) VORNDLE_EXPECTS(condition, message)
#endif

namespace contract {
[[noreturn]] void fail(const char* file, int line, const char* function, const char* condition,
                       const char* message);
} // namespace contract
