#pragma once

#include <cstddef>

class InputStream;
class OutputStream;

// Reading and writing the saved parameter blocks of the post-processing chain: a four-character
// magic, then numbers least significant byte first, no padding. Reads refuse what a corrupt or
// hostile block could hold (a wrong magic, a short block, values that are not finite numbers)
// and never read past what they were asked for.
namespace param_block {

// Reads four bytes; false when they are not `magic` or the stream runs short.
[[nodiscard]] bool readMagic(InputStream& in, const char* magic);
bool writeMagic(OutputStream& out, const char* magic);
// Reads `count` floats; false on a short stream or a value that is NaN or infinite.
[[nodiscard]] bool readFloats(InputStream& in, float* values, size_t count);
bool writeFloats(OutputStream& out, const float* values, size_t count);

} // namespace param_block
