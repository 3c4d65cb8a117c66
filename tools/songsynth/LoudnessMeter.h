#pragma once

#include <cstddef>
#include <vector>

// Loudness of interleaved stereo floats after ITU-R BS.1770-4 / EBU R128: K-weighting (a high
// shelf and a high pass, designed for the given rate), mean square over 400 ms blocks stepped by
// 100 ms, and for the integrated loudness the absolute gate at -70 LUFS and the relative gate
// 10 LU below the mean of the blocks that pass it.
class LoudnessMeter {
public:
    // LUFS; -inf (as -200) for silence.
    static double integrated(const std::vector<float>& stereo, double rate);
    // Loudness of every block of `windowSeconds` (0.4 momentary, 3 short-term) stepped by
    // `stepSeconds`, starting at 0.
    static std::vector<double> blocks(const std::vector<float>& stereo, double rate, double windowSeconds,
                                      double stepSeconds);

    static constexpr double silence = -200;
};
