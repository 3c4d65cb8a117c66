#pragma once

// The one diagnostic channel for failures that come from files, drivers or the OS: a single line
// on standard error, "file: place: reason". Never used during frames.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void diagnostic(const char* file, const char* place, const char* reasonFormat, ...);

// Lines printed so far by this process. A caller that wraps a loader compares the count before
// and after to add its own line only when the loader said nothing: one failure, one line.
unsigned diagnosticCount();
