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

    // Limits in place; answers the smallest gain applied (1 when nothing was touched).
    double process(std::vector<float>& stereo) const;
    // The same with the frame peaks (TruePeakMeter::framePeaks) already measured, on the signal
    // before it was scaled by `peakScale`: peaks scale with the signal, so a caller trying
    // several gains measures them once.
    double process(std::vector<float>& stereo, const std::vector<float>& peaks, float peakScale) const;

private:
    double pass(std::vector<float>& stereo, const std::vector<float>& peaks, float peakScale) const;

    double ceiling_;
    size_t lookahead_;
    double release_;
};
