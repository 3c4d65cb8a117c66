#pragma once

#include <cstdint>
#include <cstdio>

// Progress of a long render on standard error: frames done of the total, the beat, frames per
// second and the time left. On a terminal one line is rewritten in place a few times a second;
// otherwise (a log, a pipe) a plain line is printed every few seconds. Prints nothing per frame
// that it does not show, and allocates nothing.
class RenderProgress {
public:
    // `out` null: standard error. `terminal` decides the style; by default whether `out` is one.
    RenderProgress(long total, std::FILE* out = nullptr, int terminal = -1);

    void update(long done, float beat);
    // The closing line.
    void finish(long done, float beat);

    // The line for a state, as shown (without line ends); for tests.
    static int format(char* buffer, size_t size, long done, long total, float beat, double seconds);

private:
    void print(long done, float beat, bool last);

    long total_;
    std::FILE* out_;
    bool terminal_;
    uint64_t started_;
    uint64_t lastPrinted_;
    uint64_t frequency_;
};
