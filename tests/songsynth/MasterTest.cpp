#include "Limiter.h"
#include "LoudnessMeter.h"
#include "MasterStage.h"
#include "TruePeakMeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

const double pi = 3.14159265358979323846;

// Interleaved stereo: the same sine in both channels.
std::vector<float> sine(double rate, double seconds, double hz, double amplitude, double phase = 0) {
    size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<float> s(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        s[2 * i] = s[2 * i + 1] = static_cast<float>(amplitude * std::sin(2 * pi * hz * i / rate + phase));
    return s;
}

void append(std::vector<float>& a, const std::vector<float>& b) {
    a.insert(a.end(), b.begin(), b.end());
}

// Loud, peaky material: noise bursts, a low sine and clicks well above full scale.
std::vector<float> loudMaterial(double rate, double seconds) {
    std::vector<float> s = sine(rate, seconds, 55, 0.8);
    uint32_t noise = 12345;
    for (size_t i = 0; i < s.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        double white = (noise >> 8) / double(1 << 24) * 2 - 1;
        size_t frame = i / 2;
        double burst = (frame / 4410) % 3 == 0 ? 2.5 : 0.3;
        s[i] += static_cast<float>(white * burst);
        if (frame % 9973 == 0)
            s[i] += (i & 1) ? -6.0f : 6.0f;
    }
    return s;
}

TEST(LoudnessMeter, FullScaleSineInBothChannelsReadsZeroLufs) {
    // BS.1770: a 0 dBFS 997 Hz sine in one channel reads -3.01 LKFS, in both 0.
    for (double rate : {44100.0, 48000.0}) {
        EXPECT_NEAR(LoudnessMeter::integrated(sine(rate, 5, 997, 1.0), rate), 0.0, 0.05) << rate;
        EXPECT_NEAR(LoudnessMeter::integrated(sine(rate, 5, 997, 0.1), rate), -20.0, 0.05) << rate;
    }
}

TEST(LoudnessMeter, GatesLeaveOutSilenceAndQuietPassages) {
    const double rate = 44100;
    std::vector<float> loud = sine(rate, 6, 997, 0.1); // -20 LUFS
    std::vector<float> s = loud;
    append(s, std::vector<float>(static_cast<size_t>(rate * 6) * 2, 0.0f));
    // Blocks across the edge count with what they hold of the sine: a little under -20.
    EXPECT_NEAR(LoudnessMeter::integrated(s, rate), -20.1, 0.05); // absolute gate
    s = loud;
    append(s, sine(rate, 6, 997, 0.001)); // -60 LUFS, under the relative gate
    EXPECT_NEAR(LoudnessMeter::integrated(s, rate), -20.1, 0.05);
    s = loud;
    append(s, sine(rate, 6, 997, 0.05)); // -26 LUFS counts: the mean of both powers
    EXPECT_NEAR(LoudnessMeter::integrated(s, rate), 10 * std::log10((0.01 + 0.0025) / 2), 0.1);
    EXPECT_EQ(LoudnessMeter::integrated(std::vector<float>(88200, 0.0f), rate), LoudnessMeter::silence);
}

TEST(LoudnessMeter, KWeightingLiftsHighsAndCutsLows) {
    const double rate = 48000;
    double low = LoudnessMeter::integrated(sine(rate, 5, 30, 0.1), rate);
    double mid = LoudnessMeter::integrated(sine(rate, 5, 300, 0.1), rate);
    double high = LoudnessMeter::integrated(sine(rate, 5, 8000, 0.1), rate);
    EXPECT_LT(low, mid - 1.0);  // the high pass
    EXPECT_GT(high, mid + 3.0); // the shelf adds up to 4 dB up there
    EXPECT_LT(high, -20.0 + 4.1);
}

TEST(TruePeakMeter, FindsPeaksBetweenSamples) {
    // A quarter-rate sine sampled 45 degrees off its crests: samples at 0.707, true peak 1.
    std::vector<float> s = sine(48000, 1, 12000, 1.0, pi / 4);
    float samplePeak = 0;
    for (float v : s)
        samplePeak = std::max(samplePeak, std::fabs(v));
    EXPECT_NEAR(samplePeak, 0.7071, 0.001);
    EXPECT_NEAR(TruePeakMeter::toDb(TruePeakMeter::truePeak(s)), 0.0, 0.3);
    // A low sine's true peak is its sample peak.
    EXPECT_NEAR(TruePeakMeter::truePeak(sine(48000, 1, 100, 0.5)), 0.5, 0.001);
}

TEST(Limiter, NoSampleLeavesAboveTheCeiling) {
    const double rate = 44100;
    for (double ceilingDb : {-1.0, -3.0, -0.1}) {
        std::vector<float> s = loudMaterial(rate, 3);
        Limiter limiter(rate, ceilingDb);
        double smallest = limiter.process(s);
        EXPECT_LT(smallest, 0.5);
        const float ceiling = static_cast<float>(std::pow(10.0, ceilingDb / 20));
        for (size_t i = 0; i < s.size(); ++i)
            ASSERT_LE(std::fabs(s[i]), ceiling) << "sample " << i << " at ceiling " << ceilingDb;
        EXPECT_LE(TruePeakMeter::toDb(TruePeakMeter::truePeak(s)), ceilingDb + 0.2);
    }
}

TEST(Limiter, LeavesQuietMaterialAloneAndActsAheadOfAPeak) {
    const double rate = 44100;
    std::vector<float> quiet = sine(rate, 1, 440, 0.5);
    std::vector<float> s = quiet;
    EXPECT_EQ(Limiter(rate, -1).process(s), 1.0);
    EXPECT_EQ(s, quiet);

    // One spike at frame 20000: the gain starts falling no earlier than the look-ahead before it
    // and is back near 1 after the release.
    s = quiet;
    s[40000] = s[40001] = 4.0f;
    Limiter(rate, -1, 1.5, 50).process(s);
    const size_t lookahead = static_cast<size_t>(std::llround(1.5e-3 * rate));
    for (size_t i = 0; i + lookahead + 2 < 20000; ++i)
        ASSERT_EQ(s[2 * i], quiet[2 * i]) << i;
    EXPECT_LT(std::fabs(s[40000]), 0.9f);
    const size_t later = 20000 + static_cast<size_t>(0.5 * rate);
    EXPECT_NEAR(s[2 * later] / quiet[2 * later], 1.0, 0.01);
}

TEST(MasterStage, MeetsTheLoudnessTargetUnderTheCeilingWithoutDc) {
    const double rate = 44100;
    std::vector<float> s = loudMaterial(rate, 8);
    for (float& v : s)
        v = v * 0.05f + 0.1f; // quiet, with a DC offset
    MasterStage::Result r = MasterStage::process(s, rate, -14, -1.5);
    EXPECT_NEAR(LoudnessMeter::integrated(s, rate), -14.0, 0.1);
    EXPECT_NEAR(r.loudness, -14.0, 0.1);
    EXPECT_LE(TruePeakMeter::toDb(TruePeakMeter::truePeak(s)), -1.3);
    // The one-pole high pass needs a moment to settle; after that no offset is left.
    std::vector<float> settled(s.begin() + static_cast<ptrdiff_t>(2 * rate), s.end());
    EXPECT_LT(MasterStage::dcOffset(settled), 1e-3);
}

} // namespace
