#pragma once

#include <vector>

// True peak of interleaved stereo floats: the largest magnitude of the signal upsampled four
// times with a windowed-sinc interpolator (12 taps per phase), the samples themselves included.
class TruePeakMeter {
public:
    // Linear true peak over both channels.
    static double truePeak(const std::vector<float>& stereo);
    // Per frame, the largest magnitude over both channels of the sample and of the interpolated
    // points on either side of it (up to halfway to each neighbour).
    static std::vector<float> framePeaks(const std::vector<float>& stereo);

    static double toDb(double linear);
};
