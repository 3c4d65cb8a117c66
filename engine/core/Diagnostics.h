#pragma once

#include <cstdarg>
#include <string>
#include <vector>

// The one diagnostic channel for failures that come from files, drivers or the OS: a single line
// on standard error, "file: place: reason". Never used during frames.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void diagnostic(const char* file, const char* place, const char* reasonFormat, ...);
// The same, for readers whose own failure functions take a format and its arguments.
void diagnosticV(const char* file, const char* place, const char* reasonFormat, va_list args);

// Lines printed so far by this process. A caller that wraps a loader compares the count before
// and after to add its own line only when the loader said nothing: one failure, one line.
unsigned diagnosticCount();

// Holds the calling thread's diagnostic lines instead of printing them, so that work done ahead
// (on a worker, or while an earlier step is still undecided) reports in the order a single thread
// would have. Held lines count in diagnosticCount() at once. Holds nest per thread; a hold that is
// dropped without `take` discards its lines.
class DiagnosticHold {
public:
    DiagnosticHold();
    ~DiagnosticHold();
    DiagnosticHold(const DiagnosticHold&) = delete;
    DiagnosticHold& operator=(const DiagnosticHold&) = delete;

    // Stops holding and hands over the lines held, in order.
    std::vector<std::string> take();

private:
    void stop();
    std::vector<std::string> lines_;
    DiagnosticHold* outer_;
    bool holding_ = true;
    friend void diagnosticV(const char*, const char*, const char*, va_list);
};

// Prints lines a hold handed over (they were counted when held).
void sayHeld(const std::vector<std::string>& lines);
