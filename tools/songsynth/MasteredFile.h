#pragma once

#include "MasterStage.h"

#include <string>
#include <vector>

// Masters a rendered song and writes it, making sure the file as decoded keeps the true-peak
// ceiling: a lossy encoder moves peaks, so the limiter aims under the ceiling by a margin, the
// written file is read back and measured, and the limiter goes deeper if it still went over.
class MasteredFile {
public:
    struct Result {
        MasterStage::Result master;
        double truePeakDb = 0; // of the decoded file (of the mastered samples without a file)
        int attempts = 0;
        double masterSeconds = 0;
        double encodeSeconds = 0; // writing, reading back and measuring
    };

    // With an empty path only masters. `output` receives the samples as a player will decode them.
    [[nodiscard]] static bool write(const std::vector<float>& rendered, int rate, double targetLufs,
                                    double ceilingDb, const std::string& path, double quality,
                                    std::vector<float>& output, Result& result, std::string& error);
};
