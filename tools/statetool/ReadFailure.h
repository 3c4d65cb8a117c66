#pragma once

#include <cstdint>
#include <string>

// How statetool's readers of state bytes and state text report a failure: one diagnostic line,
// "file: <unit> <position>: reason", the unit "offset" for bytes and "line" for text. It always
// returns false, so a reader returns what it reports.
class ReadFailure {
public:
    ReadFailure(const std::string& file, const char* unit) : file_(file), unit_(unit) {}

#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    bool
    operator()(uint64_t position, const char* format, ...) const;

private:
    std::string file_;
    const char* unit_;
};
