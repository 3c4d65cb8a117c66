#include "TruePeakMeter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int taps = 12;
constexpr int phases = 4;

struct Interpolator {
    // coefficients[p - 1][k] weighs sample n - taps/2 + 1 + k for the point at n + p/4.
    float coefficients[phases - 1][taps];

    Interpolator() {
        const double pi = 3.14159265358979323846;
        for (int p = 1; p < phases; ++p) {
            double sum = 0;
            double c[taps];
            for (int k = 0; k < taps; ++k) {
                double t = (k - (taps / 2 - 1)) - p / double(phases); // sample offset from the point
                double sinc = std::sin(pi * t) / (pi * t);
                double w = (t + taps / 2.0) / taps; // 0..1 across the window
                double blackman = 0.42 - 0.5 * std::cos(2 * pi * w) + 0.08 * std::cos(4 * pi * w);
                c[k] = sinc * blackman;
                sum += c[k];
            }
            for (int k = 0; k < taps; ++k)
                coefficients[p - 1][k] = static_cast<float>(c[k] / sum);
        }
    }
};

const Interpolator& interpolator() {
    static const Interpolator instance;
    return instance;
}

// For one channel, the largest interpolated magnitude between frame n and n + 1, per n.
void betweenPeaks(const std::vector<float>& stereo, int channel, std::vector<float>& out) {
    const Interpolator& ip = interpolator();
    const size_t frames = stereo.size() / 2;
    std::vector<float> padded(frames + taps, 0.0f);
    for (size_t i = 0; i < frames; ++i)
        padded[i + taps / 2 - 1] = stereo[2 * i + channel];
    out.assign(frames, 0.0f);
    // Phase by phase and tap by tap, so the inner loop runs over frames and vectorises.
    std::vector<float> acc(frames);
    for (int p = 0; p < phases - 1; ++p) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int k = 0; k < taps; ++k) {
            const float c = ip.coefficients[p][k];
            const float* x = padded.data() + k;
            for (size_t n = 0; n < frames; ++n)
                acc[n] += c * x[n];
        }
        for (size_t n = 0; n < frames; ++n)
            out[n] = std::max(out[n], std::fabs(acc[n]));
    }
}

} // namespace

std::vector<float> TruePeakMeter::framePeaks(const std::vector<float>& stereo) {
    const size_t frames = stereo.size() / 2;
    std::vector<float> left, right;
    betweenPeaks(stereo, 0, left);
    betweenPeaks(stereo, 1, right);
    std::vector<float> peaks(frames, 0.0f);
    for (size_t n = 0; n < frames; ++n) {
        float p = std::max(std::fabs(stereo[2 * n]), std::fabs(stereo[2 * n + 1]));
        p = std::max(p, std::max(left[n], right[n]));
        if (n > 0)
            p = std::max(p, std::max(left[n - 1], right[n - 1]));
        peaks[n] = p;
    }
    return peaks;
}

double TruePeakMeter::truePeak(const std::vector<float>& stereo) {
    std::vector<float> peaks = framePeaks(stereo);
    float peak = 0;
    for (float p : peaks)
        peak = std::max(peak, p);
    return peak;
}

double TruePeakMeter::toDb(double linear) {
    return linear > 0 ? 20.0 * std::log10(linear) : -200.0;
}
