#include "TruePeakMeter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

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

// For one channel, the largest interpolated magnitude between frame n and n + 1, for the frames
// [from, from + count), into out[0 .. count). Phase by phase and tap by tap, so the inner loop
// runs over frames and vectorises; `x` and `acc` are scratch of count + taps and count floats.
void betweenPeaks(const std::vector<float>& stereo, int channel, size_t from, size_t count, float* out,
                  std::vector<float>& x, std::vector<float>& acc) {
    const Interpolator& ip = interpolator();
    const size_t frames = stereo.size() / 2;
    // x[k] holds frame from - (taps / 2 - 1) + k, zero outside the signal.
    for (size_t k = 0; k < count + taps; ++k) {
        const int64_t f = static_cast<int64_t>(from + k) - (taps / 2 - 1);
        x[k] =
            f >= 0 && static_cast<size_t>(f) < frames ? stereo[2 * static_cast<size_t>(f) + channel] : 0.0f;
    }
    std::fill(out, out + count, 0.0f);
    for (int p = 0; p < phases - 1; ++p) {
        std::fill(acc.begin(), acc.begin() + static_cast<std::ptrdiff_t>(count), 0.0f);
        for (int k = 0; k < taps; ++k) {
            const float c = ip.coefficients[p][k];
            const float* in = x.data() + k;
            float* a = acc.data();
            for (size_t n = 0; n < count; ++n)
                a[n] += c * in[n];
        }
        for (size_t n = 0; n < count; ++n)
            out[n] = std::max(out[n], std::fabs(acc[n]));
    }
}

} // namespace

std::vector<float> TruePeakMeter::framePeaks(const std::vector<float>& stereo) {
    const size_t frames = stereo.size() / 2;
    std::vector<float> peaks(frames, 0.0f);
    // Blocks small enough for the cache; each frame also looks at the point before it, so the
    // previous block's last between-peak is carried over.
    const size_t block = 8192;
    std::vector<float> x(block + taps), acc(block), left(block), right(block);
    float carried = 0;
    for (size_t from = 0; from < frames; from += block) {
        const size_t count = std::min(block, frames - from);
        betweenPeaks(stereo, 0, from, count, left.data(), x, acc);
        betweenPeaks(stereo, 1, from, count, right.data(), x, acc);
        for (size_t i = 0; i < count; ++i) {
            const size_t n = from + i;
            float p = std::max(std::fabs(stereo[2 * n]), std::fabs(stereo[2 * n + 1]));
            const float between = std::max(left[i], right[i]);
            peaks[n] = std::max(std::max(p, between), carried);
            carried = between;
        }
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
