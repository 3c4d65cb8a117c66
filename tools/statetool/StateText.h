#pragma once

#include "VorndleStateLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A scene part's state file, the gzip-compressed bytes a part restores its tweakable values from,
// and a readable text form of it. Both forms follow the production's layout table
// (VorndleStateLayout.h), the one the parts read the file by: the post chain's "BLIT" block with
// its engines' blocks, the envelopes and the loose numbers, in file order. Numbers are kept as
// their 32-bit patterns, so text written from a file builds the very same bytes again, odd values
// (negative zero, subnormals, NaN payloads) included.
namespace state_text {

using vorndle_state::FieldKind;
using vorndle_state::FieldLayout;
using vorndle_state::SectionKind;
using vorndle_state::SectionLayout;

struct Key {
    float value = 0;
    float time = 0;
    int32_t shape = 4; // stepped
    float tension = 0;
    float continuity = 0;
    float bias = 0;
    float param[4] = {0, 0, 0, 0};
};

struct EnvelopeRecord {
    int32_t pre = 1; // constant
    int32_t post = 1;
    int32_t tag = 0;
    std::vector<Key> keys; // in file order (the engine sorts them by time when it loads them)
};

// One section: the fields' numbers in file order as 32-bit patterns (float bits, a flag 0 or 1,
// or a pass count), or an envelope.
struct Section {
    std::vector<uint32_t> words;
    EnvelopeRecord envelope;
};

struct PartState {
    std::vector<Section> sections; // one per section of the layout
};

// Reads the decompressed bytes of a state file. False after one diagnostic line naming `file`,
// the byte offset and the reason; a file must hold exactly one state, nothing after it.
[[nodiscard]] bool readBinary(const uint8_t* data, size_t size, const std::string& file, PartState& out);
std::vector<uint8_t> writeBinary(const PartState& state);

// Parses the text form. False after one diagnostic line naming `file`, the line and the reason.
[[nodiscard]] bool parseText(const std::string& text, const std::string& file, PartState& out);
std::string formatText(const PartState& state);

// A state file on disk (gzip). Reading refuses files that decompress to more than kMaxFileBytes.
constexpr size_t kMaxFileBytes = 16u << 20;
[[nodiscard]] bool readStateFile(const std::string& path, PartState& out);
[[nodiscard]] bool writeStateFile(const std::string& path, const PartState& state);

// A float printed with as few digits as read back to the same bits; non-finite values as inf,
// -inf, nan or nan(0xPATTERN).
std::string formatFloat(uint32_t bits);
// Reads what formatFloat prints (and any decimal number); false on anything else or a decimal
// beyond the float range.
[[nodiscard]] bool parseFloat(const std::string& token, uint32_t& bits);

} // namespace state_text
