#include "AudioFile.h"
#include "FluidRenderer.h"
#include "LoudnessMeter.h"
#include "MasteredFile.h"
#include "ScoreCompiler.h"
#include "ScoreParser.h"
#include "TruePeakMeter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* shortScore = "tempo 120\nlength 8\ntail 1\n"
                         "track keys\n  program 1\n  reverb 60\n  chorus 40\n"
                         "track bass\n  program 34\n  pan -30\n"
                         "track drums\n  drums\n"
                         "pattern chords\n  C4+E4+G4:2 A3+C4+E4 | F3+A3+C4 G3+B3+D4\n"
                         "pattern line\n  C2:1 C3 A1 A2 | F1 F2 G1 G2\n"
                         "pattern beat\n  kick+hat:.5 hat snare+hat hat\n"
                         "play keys chords at 0\nplay bass line at 0\nplay drums beat at 0 repeat 4\n"
                         "cresc keys 0..4 60..127\n";

bool haveSoundFont() {
    return std::ifstream(FluidRenderer::defaultSoundFont).good();
}

CompiledSong compile(const std::string& text) {
    Score score;
    CompiledSong song;
    std::string error;
    EXPECT_TRUE(ScoreParser::parse(text, "test.score", score, error) &&
                ScoreCompiler::compile(score, song, error))
        << error;
    return song;
}

std::vector<float> render(const CompiledSong& song, int threads) {
    std::vector<float> out;
    std::string error;
    EXPECT_TRUE(FluidRenderer::render(song, FluidRenderer::defaultSoundFont, threads, out, error)) << error;
    return out;
}

TEST(FluidRenderer, RendersTheSameSamplesEveryTime) {
    if (!haveSoundFont())
        GTEST_SKIP() << "no General MIDI SoundFont at " << FluidRenderer::defaultSoundFont;
    CompiledSong song = compile(shortScore);
    for (int threads : {1, 2}) {
        std::vector<float> a = render(song, threads);
        std::vector<float> b = render(song, threads);
        ASSERT_EQ(a.size(), static_cast<size_t>(song.totalFrames) * 2);
        EXPECT_TRUE(a == b) << threads << " thread(s)";
        EXPECT_GT(TruePeakMeter::truePeak(a), 0.01);
    }
}

TEST(FluidRenderer, SharingChannelsAmongSynthesisersKeepsTheSound) {
    if (!haveSoundFont())
        GTEST_SKIP() << "no General MIDI SoundFont";
    // Reverb and chorus are linear, so their outputs add up; the SoundFont's own effect sends
    // (beside the tracks') must reach an effect in every part as well: a part without its chorus
    // differs by some -13 dB. What remains is about -52 dB, far under hearing.
    CompiledSong song = compile(shortScore);
    std::vector<float> one = render(song, 1);
    std::vector<float> three = render(song, 3);
    ASSERT_EQ(one.size(), three.size());
    double difference = 0, signal = 0;
    for (size_t i = 0; i < one.size(); ++i) {
        difference += (one[i] - three[i]) * double(one[i] - three[i]);
        signal += one[i] * double(one[i]);
    }
    EXPECT_LT(10 * std::log10(difference / signal), -45.0);
}

// The first frame at which the rendered signal rises above a faint level.
size_t onset(const std::vector<float>& out) {
    size_t first = 0;
    while (first < out.size() / 2 && std::fabs(out[2 * first]) < 1e-3f &&
           std::fabs(out[2 * first + 1]) < 1e-3f)
        ++first;
    return first;
}

TEST(FluidRenderer, ANoteSoundsFromItsBeat) {
    if (!haveSoundFont())
        GTEST_SKIP() << "no General MIDI SoundFont";
    auto rim = [](double beat) {
        return compile("tempo 120\nlength 6\ntail 0\ntrack t\n  drums\n  reverb 0\n  chorus 0\n"
                       "pattern p\n  rim:1@127\nplay t p at " +
                       std::to_string(beat) + "\n");
    };
    // The sample's own attack, measured on a note at frame 0.
    const size_t attack = onset(render(rim(0), 1));
    ASSERT_LT(attack, 441u);
    for (double beat : {1.0, 2.25, 3.5, 5.0}) {
        double delay = static_cast<double>(onset(render(rim(beat), 1))) - static_cast<double>(attack);
        // Events take effect on the synthesiser's 64-frame block nearest to them.
        EXPECT_NEAR(delay, beat * 22050, 32.0) << "beat " << beat;
    }
}

TEST(FluidRenderer, RefusesAMissingSoundFont) {
    CompiledSong song = compile(shortScore);
    std::vector<float> out;
    std::string error;
    EXPECT_FALSE(FluidRenderer::render(song, "/nonexistent.sf2", 1, out, error));
    EXPECT_EQ(error, "/nonexistent.sf2: cannot load the SoundFont");
}

TEST(MasteredFile, ShortScoreMeetsLoudnessAndPeakAsDecoded) {
    if (!haveSoundFont())
        GTEST_SKIP() << "no General MIDI SoundFont";
    CompiledSong song = compile(shortScore);
    std::vector<float> rendered = render(song, 2);
    TempDir dir;
    const std::string path = dir.file("short.ogg");
    std::vector<float> decoded;
    MasteredFile::Result result;
    std::string error;
    ASSERT_TRUE(MasteredFile::write(rendered, song.rate, -14, -1, path, 0.4, decoded, result, error))
        << error;

    std::vector<float> read;
    int rate = 0;
    ASSERT_TRUE(AudioFile::read(path, read, rate, error)) << error;
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(read, decoded);
    EXPECT_GE(read.size() / 2, static_cast<size_t>(8 * 22050)); // the 8 beats at least
    double loudness = LoudnessMeter::integrated(read, rate);
    EXPECT_GE(loudness, -16.0);
    EXPECT_LE(loudness, -12.0);
    EXPECT_LE(TruePeakMeter::toDb(TruePeakMeter::truePeak(read)), -1.0);
    EXPECT_LT(MasterStage::dcOffset(read), 1e-3);
    for (float s : read)
        ASSERT_LT(std::fabs(s), 1.0f);
}

} // namespace
