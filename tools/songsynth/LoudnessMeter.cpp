#include "LoudnessMeter.h"

#include <algorithm>
#include <cmath>

namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
};

// K-weighting for any rate, from the analog prototypes of the two BS.1770 stages.
void kWeighting(double rate, Biquad& shelf, Biquad& highPass) {
    const double pi = 3.14159265358979323846;
    {
        const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
        double k = std::tan(pi * f0 / rate);
        double vh = std::pow(10.0, gainDb / 20.0);
        double vb = std::pow(vh, 0.4996667741545416);
        double a0 = 1.0 + k / q + k * k;
        shelf = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
    {
        const double f0 = 38.13547087602444, q = 0.5003270373238773;
        double k = std::tan(pi * f0 / rate);
        double a0 = 1.0 + k / q + k * k;
        highPass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
}

// Squared K-weighted signal summed over both channels, added up over runs of `run` frames (the
// last run may be shorter): one value per run rather than per frame keeps the memory small.
std::vector<double> weightedPower(const std::vector<float>& stereo, double rate, size_t run) {
    Biquad shelf{}, highPass{};
    kWeighting(rate, shelf, highPass);
    const size_t frames = stereo.size() / 2;
    std::vector<double> power((frames + run - 1) / run, 0.0);
    for (int c = 0; c < 2; ++c) {
        double s1 = 0, s2 = 0, h1 = 0, h2 = 0; // transposed direct form II states
        for (size_t i = 0; i < frames; ++i) {
            double x = stereo[2 * i + c];
            double y = shelf.b0 * x + s1;
            s1 = shelf.b1 * x - shelf.a1 * y + s2;
            s2 = shelf.b2 * x - shelf.a2 * y;
            double z = highPass.b0 * y + h1;
            h1 = highPass.b1 * y - highPass.a1 * z + h2;
            h2 = highPass.b2 * y - highPass.a2 * z;
            power[i / run] += z * z;
        }
    }
    return power;
}

double toLufs(double meanSquare) {
    return meanSquare > 0 ? -0.691 + 10.0 * std::log10(meanSquare) : LoudnessMeter::silence;
}

// Mean power of windows of `window` runs stepped by `step` runs, from a running prefix sum.
std::vector<double> windowMeans(const std::vector<double>& power, size_t run, size_t window, size_t step,
                                bool partialLast) {
    std::vector<double> prefix(power.size() + 1, 0.0);
    for (size_t i = 0; i < power.size(); ++i)
        prefix[i + 1] = prefix[i] + power[i];
    std::vector<double> means;
    for (size_t start = 0; partialLast ? start < power.size() : start + window <= power.size();
         start += step) {
        size_t end = std::min(power.size(), start + window);
        means.push_back((prefix[end] - prefix[start]) / static_cast<double>(window * run));
    }
    return means;
}

} // namespace

double LoudnessMeter::integrated(const std::vector<float>& stereo, double rate) {
    // 400 ms blocks overlapping by 75 %: four runs of 100 ms each, stepped by one. A last run
    // shorter than 100 ms belongs to no whole block.
    const size_t run = static_cast<size_t>(std::llround(0.1 * rate));
    const size_t whole = stereo.size() / 2 / run;
    std::vector<double> power = weightedPower(stereo, rate, run);
    power.resize(whole);
    std::vector<double> means = windowMeans(power, run, 4, 1, false);
    double sum = 0;
    size_t count = 0;
    for (double m : means) {
        if (toLufs(m) > -70.0) {
            sum += m;
            ++count;
        }
    }
    if (count == 0)
        return silence;
    double relativeGate = toLufs(sum / count) - 10.0;
    sum = 0;
    count = 0;
    for (double m : means) {
        double l = toLufs(m);
        if (l > -70.0 && l > relativeGate) {
            sum += m;
            ++count;
        }
    }
    return count ? toLufs(sum / count) : silence;
}

std::vector<double> LoudnessMeter::blocks(const std::vector<float>& stereo, double rate, double windowSeconds,
                                          double stepSeconds) {
    const size_t step = std::max<size_t>(1, static_cast<size_t>(std::llround(stepSeconds * rate)));
    const size_t window = std::max<size_t>(1, static_cast<size_t>(std::llround(windowSeconds * rate)));
    // Runs as long as the greatest common divisor of window and step: both are whole runs.
    size_t a = window, b = step;
    while (b) {
        size_t t = a % b;
        a = b;
        b = t;
    }
    const size_t run = a;
    std::vector<double> means =
        windowMeans(weightedPower(stereo, rate, run), run, window / run, step / run, true);
    for (double& m : means)
        m = toLufs(m);
    return means;
}
