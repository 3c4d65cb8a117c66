#include "core/Diagnostics.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
std::atomic<unsigned> printed{0};
thread_local DiagnosticHold* currentHold = nullptr;
} // namespace

DiagnosticHold::DiagnosticHold() : outer_(currentHold) {
    currentHold = this;
}

DiagnosticHold::~DiagnosticHold() {
    stop();
}

void DiagnosticHold::stop() {
    // Holds end in the reverse order they began on their thread.
    if (holding_ && currentHold == this)
        currentHold = outer_;
    holding_ = false;
}

std::vector<std::string> DiagnosticHold::take() {
    stop();
    return std::move(lines_);
}

void sayHeld(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::fputs(line.c_str(), stderr);
}

unsigned diagnosticCount() {
    return printed.load();
}

void diagnostic(const char* file, const char* place, const char* reasonFormat, ...) {
    va_list args;
    va_start(args, reasonFormat);
    diagnosticV(file, place, reasonFormat, args);
    va_end(args);
}

void diagnosticV(const char* file, const char* place, const char* reasonFormat, va_list args) {
    char reason[512];
    std::vsnprintf(reason, sizeof reason, reasonFormat, args);
    char line[1536];
    std::snprintf(line, sizeof line - 1, "%s: %s: %s", file && *file ? file : "<unknown>",
                  place && *place ? place : "-", reason);
    // Names and values quoted from a file may hold line breaks or terminal escapes: the report stays
    // one plain line whatever they hold.
    for (char* c = line; *c; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte < 0x20 || byte == 0x7f)
            *c = '?';
    }
    std::strcat(line, "\n");
    if (currentHold) {
        currentHold->lines_.emplace_back(line);
        ++printed;
        return;
    }
    // One write, so the line comes out whole even if another thread writes too.
    std::fputs(line, stderr);
    ++printed;
}
