// The control channel's command parser over fuzzed lines: no crash, no hang, and every line is
// either a command or one error reason, whatever the bytes.
#include "app/edit/ControlCommand.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    ControlCommand command;
    std::string error;
    const bool parsed = parseControlCommand(line, command, error);
    if (!parsed && error.empty())
        std::abort();
    if (parsed && command.kind == ControlCommand::Still && command.path.empty())
        std::abort();
    return 0;
}
