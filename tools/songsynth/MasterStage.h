#pragma once

#include <vector>

// The master stage of a rendered song: removes any DC offset, sets the gain so the integrated
// loudness meets the target after limiting, and limits the true peak to the ceiling.
class MasterStage {
public:
    struct Result {
        double gainDb = 0;        // make-up gain before the limiter
        double loudness = 0;      // integrated, LUFS, after the stage
        double limiterGainDb = 0; // deepest gain reduction of the limiter (0 or negative)
    };

    static Result process(std::vector<float>& stereo, double rate, double targetLufs, double ceilingDb);

    // Mean of each channel (the DC offset), the larger magnitude of the two.
    static double dcOffset(const std::vector<float>& stereo);
};
