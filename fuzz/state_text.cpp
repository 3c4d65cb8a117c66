// statetool's text parser and binary reader over arbitrary bytes. Whatever either accepts must
// come back unchanged through the other form: text that parses builds bytes the binary reader
// takes, and bytes that read dump to text that builds those very bytes.
#include "StateText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace state_text;
    PartState state;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (parseText(text, "fuzz", state)) {
        const std::vector<uint8_t> bytes = writeBinary(state);
        PartState read;
        if (!readBinary(bytes.data(), bytes.size(), "fuzz", read) || writeBinary(read) != bytes)
            std::abort();
    }
    PartState binary;
    if (readBinary(data, size, "fuzz", binary)) {
        const std::vector<uint8_t> bytes = writeBinary(binary);
        if (bytes.size() != size || !std::equal(bytes.begin(), bytes.end(), data))
            std::abort();
        PartState parsed;
        if (!parseText(formatText(binary), "fuzz", parsed) || writeBinary(parsed) != bytes)
            std::abort();
    }
    return 0;
}
