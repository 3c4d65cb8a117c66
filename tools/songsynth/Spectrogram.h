#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Draws the spectrogram of interleaved stereo floats as a palette PNG: time left to right,
// frequency bottom to top on a logarithmic axis (40 Hz to 16 kHz), level in dB as colour. Marked
// frames get a full-height white line, bar frames a short tick along the top edge.
class Spectrogram {
public:
    struct Options {
        int width = 1056;
        int height = 256;
        std::vector<int64_t> marks;
        std::vector<int64_t> bars;
    };

    [[nodiscard]] static bool write(const std::string& path, const std::vector<float>& stereo, double rate,
                                    const Options& options, std::string& error);
};
