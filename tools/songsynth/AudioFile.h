#pragma once

#include <string>
#include <vector>

// Interleaved stereo floats to and from audio files through libsndfile. The format follows the
// extension: .wav (16-bit), .flac (16-bit) or .ogg (Vorbis at the given quality, 0..1). The same
// sound always gives the same file.
class AudioFile {
public:
    [[nodiscard]] static bool write(const std::string& path, const std::vector<float>& stereo, int rate,
                                    double quality, std::string& error);
    // Any file libsndfile reads, as stereo (a mono file is doubled); fails on other channel counts.
    [[nodiscard]] static bool read(const std::string& path, std::vector<float>& stereo, int& rate,
                                   std::string& error);
    static bool knownExtension(const std::string& path);
};
