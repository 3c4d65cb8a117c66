#include "TestSounds.h"
#include "support/TempDir.h"

#include "app/audio/Mixer.h"
#include "app/audio/SoundDecoder.h"
#include "app/audio/Stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

using audio::Mixer;
using audio::Stream;

namespace {

std::vector<int16_t> mixFrames(Mixer& mixer, int frames) {
    std::vector<int16_t> out(size_t(frames) * 2);
    mixer.mix(out.data(), frames);
    return out;
}

} // namespace

TEST(Stream, DecodesEachFormatToItsExactLength) {
    TempDir dir;
    const int frames = 44100 / 3 + 17;
    const auto samples = rampSamples(frames, 2);
    struct Case {
        const char* name;
        int format;
        bool lossless;
    } cases[] = {{"a.wav", kWav16, true}, {"a.flac", kFlac16, true}, {"a.ogg", kVorbis, false}};
    auto mixer = Mixer::openOffline();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeSound(dir.file(c.name), c.format, 44100, 2, samples));
        auto stream = Stream::openFile(*mixer, dir.file(c.name));
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->length(), uint64_t(frames) * 4);
        EXPECT_EQ(stream->fileChannels(), 2);
        if (c.lossless) {
            stream->play(true);
            auto out = mixFrames(*mixer, frames);
            EXPECT_EQ(out, samples);
        }
    }
    // Opus and MP3 only where this libsndfile writes (and so reads) them.
    struct Lossy {
        const char* name;
        int format;
        int rate;
    } lossy[] = {{"a.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000},
                 {"a.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100}};
    for (const Lossy& c : lossy) {
        SCOPED_TRACE(c.name);
        if (!writeSound(dir.file(c.name), c.format, c.rate, 2, rampSamples(c.rate / 4, 2)))
            continue;
        auto stream = Stream::openFile(*mixer, dir.file(c.name));
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->length(), uint64_t(c.rate / 4) * 4);
        EXPECT_EQ(stream->fileRate(), c.rate);
    }
}

TEST(Stream, MonoPlaysOnBothChannelsAndOtherRatesAreConverted) {
    TempDir dir;
    auto mixer = Mixer::openOffline();
    const auto mono = rampSamples(1000, 1);
    ASSERT_TRUE(writeSound(dir.file("mono.wav"), kWav16, 44100, 1, mono));
    auto stream = Stream::openFile(*mixer, dir.file("mono.wav"));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->length(), 2000u);
    stream->play(true);
    auto out = mixFrames(*mixer, 1000);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(out[size_t(2 * i)], mono[size_t(i)]);
        ASSERT_EQ(out[size_t(2 * i + 1)], mono[size_t(i)]);
    }
    stream = nullptr;

    // 22050 Hz: positions stay in the file's bytes while the mixer runs twice as many frames.
    ASSERT_TRUE(writeSound(dir.file("half.wav"), kWav16, 22050, 2, rampSamples(22050, 2)));
    stream = Stream::openFile(*mixer, dir.file("half.wav"));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->length(), 22050u * 4);
    EXPECT_DOUBLE_EQ(stream->bytesToSeconds(stream->length()), 1.0);
    stream->play(true);
    mixFrames(*mixer, 22050);
    EXPECT_NEAR(double(stream->position()), 11025.0 * 4, 4 * 2);
    mixFrames(*mixer, 44100);
    EXPECT_EQ(stream->position(), stream->length());
    EXPECT_FALSE(stream->isPlaying());
}

TEST(Stream, SyncsFireWhereTheMixReachesThemAndMayJump) {
    TempDir dir;
    auto mixer = Mixer::openOffline(44100, 256);
    const auto samples = rampSamples(2000, 2);
    ASSERT_TRUE(writeSound(dir.file("s.wav"), kWav16, 44100, 2, samples));
    auto stream = Stream::openFile(*mixer, dir.file("s.wav"));
    ASSERT_TRUE(stream);

    // Jump from frame 700 back to frame 100 inside a buffer: the mix is seamless.
    struct Jump {
        int fired = 0;
    } jump;
    uint32_t handle = stream->addPositionSync(
        700 * 4,
        [](Stream& s, void* user) {
            ++static_cast<Jump*>(user)->fired;
            s.setPosition(100 * 4);
        },
        &jump);
    ASSERT_NE(handle, 0u);
    stream->play(true);
    auto out = mixFrames(*mixer, 1000);
    EXPECT_EQ(jump.fired, 1);
    EXPECT_EQ(stream->position(), uint64_t(100 + 300) * 4);
    for (int i = 0; i < 1000; ++i) {
        const int source = i < 700 ? i : 100 + (i - 700);
        ASSERT_EQ(out[size_t(2 * i)], samples[size_t(2 * source)]) << "frame " << i;
    }
    EXPECT_TRUE(stream->removeSync(handle));
    EXPECT_FALSE(stream->removeSync(handle));
    mixFrames(*mixer, 1000);
    EXPECT_EQ(jump.fired, 1);

    // Seeks beyond the length fail and leave the position alone.
    EXPECT_TRUE(stream->setPosition(1500 * 4));
    EXPECT_FALSE(stream->setPosition(2001 * 4));
    EXPECT_EQ(stream->position(), 1500u * 4);
}

TEST(Stream, LoopFlagRestartsAtTheEnd) {
    TempDir dir;
    auto mixer = Mixer::openOffline();
    const auto samples = rampSamples(300, 2);
    ASSERT_TRUE(writeSound(dir.file("l.wav"), kWav16, 44100, 2, samples));
    auto stream = Stream::openFile(*mixer, dir.file("l.wav"));
    ASSERT_TRUE(stream);
    stream->setLooping(true);
    stream->play(true);
    auto out = mixFrames(*mixer, 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(out[size_t(2 * i + 1)], samples[size_t(2 * (i % 300) + 1)]);
    EXPECT_TRUE(stream->isPlaying());
    EXPECT_EQ(stream->position(), uint64_t(1000 % 300) * 4);

    // Without the flag it stops at the end and the rest is silence.
    stream->setLooping(false);
    stream->play(true);
    out = mixFrames(*mixer, 400);
    EXPECT_FALSE(stream->isPlaying());
    EXPECT_EQ(stream->position(), stream->length());
    EXPECT_EQ(out[2 * 350], 0);
}

TEST(Stream, BadFilesGiveNullAndOneDiagnostic) {
    TempDir dir;
    auto mixer = Mixer::openOffline();
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {{"text.ogg", "this is not a sound file\n"},
                 {"empty.wav", ""},
                 {"riff.wav", "RIFF\x10\0\0\0WAVEfmt "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(dir.file(c.name), c.bytes));
        testing::internal::CaptureStderr();
        EXPECT_FALSE(Stream::openFile(*mixer, dir.file(c.name)));
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.name), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Stream::openFile(*mixer, dir.file("missing.flac")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("missing.flac"), std::string::npos);
}

TEST(Stream, TruncatedCompressedFilesPlayWhatTheyHoldOrFail) {
    TempDir dir;
    auto mixer = Mixer::openOffline();
    const auto samples = rampSamples(44100, 2);
    for (int format : {kVorbis, kFlac16}) {
        const std::string full = dir.file("full");
        ASSERT_TRUE(writeSound(full, format, 44100, 2, samples));
        std::ifstream in(full, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (size_t keep : {size_t(0), size_t(20), size_t(100), bytes.size() / 3, bytes.size() - 1}) {
            SCOPED_TRACE(testing::Message() << "format " << format << " keep " << keep);
            const std::string cut = dir.file("cut");
            ASSERT_TRUE(writeFile(cut, bytes.substr(0, keep)));
            testing::internal::CaptureStderr();
            auto stream = Stream::openFile(*mixer, cut);
            testing::internal::GetCapturedStderr();
            if (!stream)
                continue;
            EXPECT_LE(stream->length(), uint64_t(44100) * 4);
            stream->play(true);
            mixFrames(*mixer, 44100);
            EXPECT_FALSE(stream->isPlaying());
        }
    }
}

TEST(Stream, ResamplingKeepsTheDuration) {
    audio::DecodedSound sound;
    sound.samples = rampSamples(100, 1);
    sound.rate = sound.fileRate = 44100;
    sound.channels = sound.fileChannels = 1;
    sound.fileFrames = 100;
    EXPECT_TRUE(audio::resampleSound(sound, 44100, "x"));
    EXPECT_EQ(sound.samples.size(), 100u);
    sound.rate = 1000;
    EXPECT_TRUE(audio::resampleSound(sound, 44100, "x"));
    EXPECT_NEAR(double(sound.samples.size()), 4410.0, 50.0);
    EXPECT_EQ(sound.rate, 44100);
    EXPECT_EQ(sound.fileRate, 44100);
}
