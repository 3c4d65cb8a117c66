#include "ReadFailure.h"

#include "core/Diagnostics.h"

#include <cstdarg>

bool ReadFailure::operator()(uint64_t position, const char* format, ...) const {
    const std::string place = std::string(unit_) + " " + std::to_string(position);
    va_list args;
    va_start(args, format);
    diagnosticV(file_.c_str(), place.c_str(), format, args);
    va_end(args);
    return false;
}
