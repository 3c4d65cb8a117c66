#include "MasterStage.h"

#include "Limiter.h"
#include "LoudnessMeter.h"
#include "TruePeakMeter.h"

#include <algorithm>
#include <cmath>

namespace {

// One-pole high pass at 5 Hz: takes out DC and subsonic drift without touching the bass.
void removeDc(std::vector<float>& stereo, double rate) {
    const double r = std::exp(-2.0 * 3.14159265358979323846 * 5.0 / rate);
    for (int c = 0; c < 2; ++c) {
        double x1 = 0, y1 = 0;
        for (size_t i = c; i < stereo.size(); i += 2) {
            double x = stereo[i];
            double y = x - x1 + r * y1;
            x1 = x;
            y1 = y;
            stereo[i] = static_cast<float>(y);
        }
    }
}

} // namespace

MasterStage::Result MasterStage::process(std::vector<float>& stereo, double rate, double targetLufs,
                                         double ceilingDb) {
    Result result;
    removeDc(stereo, rate);
    double measured = LoudnessMeter::integrated(stereo, rate);
    if (measured <= LoudnessMeter::silence) {
        result.loudness = measured;
        return result;
    }
    // The limiter takes off some loudness as it takes off peaks: measure after it and correct the
    // gain, a few times at most (each correction is smaller than the last).
    const std::vector<float> source = stereo;
    const std::vector<float> peaks = TruePeakMeter::framePeaks(source);
    double gainDb = targetLufs - measured;
    const Limiter limiter(rate, ceilingDb);
    for (int pass = 0; pass < 4; ++pass) {
        const float gain = static_cast<float>(std::pow(10.0, gainDb / 20.0));
        for (size_t i = 0; i < stereo.size(); ++i)
            stereo[i] = source[i] * gain;
        result.limiterGainDb = TruePeakMeter::toDb(limiter.apply(stereo, peaks, gain));
        result.gainDb = gainDb;
        result.loudness = LoudnessMeter::integrated(stereo, rate);
        double error = targetLufs - result.loudness;
        if (std::fabs(error) < 0.05)
            break;
        gainDb += error;
    }
    // What the refinement takes off is too little to move the loudness.
    limiter.refine(stereo);
    return result;
}

double MasterStage::dcOffset(const std::vector<float>& stereo) {
    double sum[2] = {0, 0};
    for (size_t i = 0; i < stereo.size(); ++i)
        sum[i & 1] += stereo[i];
    double frames = std::max<double>(1, static_cast<double>(stereo.size() / 2));
    return std::max(std::fabs(sum[0]), std::fabs(sum[1])) / frames;
}
