#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace audio {

// A whole sound decoded into memory: 16-bit interleaved PCM at `rate` with `channels` (1 or 2:
// the mixer plays stereo, so only the first two channels of a file are kept). The `file` fields
// describe the file as decoded and stay the same when the samples are converted to another rate.
struct DecodedSound {
    std::vector<int16_t> samples;
    int rate = 0;
    int channels = 0;
    int fileRate = 0;
    int fileChannels = 0;
    uint64_t fileFrames = 0;
};

// Upper bound on the decoded PCM of one sound, so that a hostile or absurd file cannot make us
// allocate without limit (about 50 minutes of 48 kHz stereo).
constexpr uint64_t kMaxDecodedBytes = uint64_t(1) << 30;

// Decodes a file with libsndfile (WAV, FLAC, Ogg Vorbis/Opus, MP3, ... whatever it reads). The
// frame count is what was actually decoded, not what the header claims, so a truncated file
// yields the frames it holds. On failure answers false after one diagnostic line.
[[nodiscard]] bool decodeSoundFile(const std::string& path, DecodedSound& out);

// The same over bytes in memory; `name` is used in the diagnostic line.
[[nodiscard]] bool decodeSoundMemory(const void* data, size_t size, const char* name, DecodedSound& out);

// Converts the samples of `sound` in place to `rate` (channels unchanged). Answers false (with a diagnostic)
// if the result would be too large or the converter fails.
bool resampleSound(DecodedSound& sound, int rate, const char* name);

} // namespace audio
