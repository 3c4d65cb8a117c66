#pragma once

#include <cstddef>
#include <vector>

// A look-ahead peak limiter for interleaved stereo floats, both channels under one gain. The gain
// each frame needs (ceiling over its true peak) is held as a minimum over the look-ahead, released
// with a time constant, and smoothed by a moving average as long as the look-ahead, so the gain
// has come down fully when a peak arrives: no sample leaves above the ceiling, and the
// interpolated peaks between samples stay under it up to the slow gain change.
class Limiter {
public:
    Limiter(double rate, double ceilingDb, double lookaheadMs = 1.5, double releaseMs = 120);

    // Limits in place (apply, then refine); answers the smallest gain applied (1 when nothing was
    // touched).
    double process(std::vector<float>& stereo) const;
    // One pass with the frame peaks (TruePeakMeter::framePeaks) already measured, on the signal
    // before it was scaled by `peakScale`: peaks scale with the signal, so a caller trying several
    // gains measures them once. Every sample ends under the ceiling, but since the gain changes
    // across the interpolator's taps a point between samples next to a deep, fast gain change can
    // still end a little over it.
    double apply(std::vector<float>& stereo, const std::vector<float>& peaks, float peakScale) const;
    // Measures the true peaks again and limits what is left over the ceiling.
    double refine(std::vector<float>& stereo) const;

private:
    double ceiling_;
    size_t lookahead_;
    double release_;
};
