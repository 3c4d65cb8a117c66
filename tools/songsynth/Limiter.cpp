#include "Limiter.h"

#include "TruePeakMeter.h"

#include <algorithm>
#include <cmath>
#include <deque>

Limiter::Limiter(double rate, double ceilingDb, double lookaheadMs, double releaseMs)
    : ceiling_(std::pow(10.0, ceilingDb / 20.0)),
      lookahead_(std::max<size_t>(1, static_cast<size_t>(std::llround(lookaheadMs * 0.001 * rate)))),
      release_(std::exp(-1.0 / (std::max(releaseMs, 0.01) * 0.001 * rate))) {}

double Limiter::process(std::vector<float>& stereo) const {
    return apply(stereo, TruePeakMeter::framePeaks(stereo), 1.0f) * refine(stereo);
}

double Limiter::refine(std::vector<float>& stereo) const {
    double smallest = 1;
    for (int again = 0; again < 3; ++again) {
        std::vector<float> peaks = TruePeakMeter::framePeaks(stereo);
        if (peaks.empty() || *std::max_element(peaks.begin(), peaks.end()) <= static_cast<float>(ceiling_))
            break;
        smallest *= apply(stereo, peaks, 1.0f);
    }
    return smallest;
}

double Limiter::apply(std::vector<float>& stereo, const std::vector<float>& peaks, float peakScale) const {
    const size_t frames = std::min(stereo.size() / 2, peaks.size());
    if (frames == 0)
        return 1;
    const float ceiling = static_cast<float>(ceiling_);
    // Float rounding of the smoothed gain must not lift a sample past the ceiling: aim a hair under.
    const float aim = ceiling * 0.9999f;
    std::vector<float> need(frames);
    for (size_t n = 0; n < frames; ++n)
        need[n] = peaks[n] * peakScale > aim ? aim / (peaks[n] * peakScale) : 1.0f;

    // Minimum of need[n .. n + lookahead] by a monotonic queue.
    std::vector<float> hold(frames);
    std::deque<size_t> queue;
    size_t next = 0;
    for (size_t n = 0; n < frames; ++n) {
        while (next < frames && next <= n + lookahead_) {
            while (!queue.empty() && need[queue.back()] >= need[next])
                queue.pop_back();
            queue.push_back(next++);
        }
        while (queue.front() < n)
            queue.pop_front();
        hold[n] = need[queue.front()];
    }

    // Instant attack (the average below makes it smooth), exponential release.
    double g = 1;
    for (size_t n = 0; n < frames; ++n) {
        double h = hold[n];
        g = h < g ? h : h + (g - h) * release_;
        hold[n] = static_cast<float>(std::min(g, h));
    }

    // Moving average over lookahead + 1 frames; before the start the gain counts as 1.
    const double count = static_cast<double>(lookahead_ + 1);
    double sum = count; // the window before the first frame
    double smallest = 1;
    for (size_t n = 0; n < frames; ++n) {
        sum += hold[n];
        sum -= n >= lookahead_ + 1 ? hold[n - lookahead_ - 1] : 1.0f;
        float gain = static_cast<float>(std::min(1.0, sum / count));
        gain = std::min(gain, need[n]); // the average's rounding never exceeds what the frame needs
        smallest = std::min<double>(smallest, gain);
        stereo[2 * n] *= gain;
        stereo[2 * n + 1] *= gain;
    }
    return smallest;
}
