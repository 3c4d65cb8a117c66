#include "TestSounds.h"
#include "support/TempDir.h"

#include "app/Song.h"
#include "app/SoundDevice.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// A sound device over an offline mixer: positions are exactly what was mixed.
struct OfflineSong {
    TempDir dir;
    Ref<SoundDevice> device = makeRef<SoundDevice>();
    Ref<Song> song;
    std::vector<int16_t> samples;

    OfflineSong(int seconds, int bpm, int32_t latency = 0) {
        device->mixer = audio::Mixer::openOffline();
        device->latency = latency;
        samples = rampSamples(44100 * seconds, 2);
        if (!writeSound(dir.file("song.wav"), kWav16, 44100, 2, samples))
            return;
        song = createSong(dir.file("song.wav"), *device);
        if (song) {
            song->bpm = bpm;
            song->beatsPerMs = float(bpm) * 0.016666668f * 0.001f;
        }
    }
    std::vector<int16_t> mix(int frames) {
        std::vector<int16_t> out(size_t(frames) * 2);
        device->mixer->mix(out.data(), frames);
        return out;
    }
};

} // namespace

TEST(Song, CreatedWithTheDeviceLatencyAndDefaultTempo) {
    OfflineSong s(1, 60, 23);
    ASSERT_TRUE(s.song);
    EXPECT_EQ(s.song->latency, 23u);
    EXPECT_EQ(s.song->loopSync, 0u);
    EXPECT_FLOAT_EQ(s.song->beatsPerMs, 0.001f);
    // Nothing played yet: the audible beat lies a latency interval in the past.
    EXPECT_FLOAT_EQ(songTime(*s.song), -0.023f);

    Ref<SoundDevice> closed = makeRef<SoundDevice>();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(createSong(s.dir.file("song.wav"), *closed));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("song.wav"), std::string::npos);
}

TEST(Song, BeatsSecondsAndBytes) {
    OfflineSong s(6, 120);
    ASSERT_TRUE(s.song);
    EXPECT_DOUBLE_EQ(beatsToSeconds(*s.song, 8.0f), 4.0);
    EXPECT_FLOAT_EQ(secondsToBeats(*s.song, 4.0), 8.0f);
    for (float beat : {0.0f, 0.5f, 3.25f, 8.0f, 11.0f}) {
        SCOPED_TRACE(beat);
        ASSERT_TRUE(seekSong(*s.song, beat));
        EXPECT_EQ(s.song->stream->position(), s.song->stream->secondsToBytes(double(beat) * 0.5));
        EXPECT_NEAR(songTime(*s.song), beat, 1e-4f);
    }
    // Past the end the seek fails and the position stays.
    EXPECT_FALSE(seekSong(*s.song, 13.0f));
    EXPECT_NEAR(songTime(*s.song), 11.0f, 1e-4f);
}

TEST(Song, SetLoopClampsItsBounds) {
    OfflineSong s(2, 120);
    ASSERT_TRUE(s.song);
    const uint64_t length = s.song->stream->length();
    setLoop(*s.song, -3.0f, 100.0f);
    EXPECT_EQ(s.song->loopStart, 0u);
    EXPECT_EQ(s.song->loopEnd, length);
    EXPECT_NE(s.song->loopSync, 0u);
    EXPECT_TRUE(s.song->stream->looping());

    // A second loop replaces the first: the old sync is gone, and only the new one jumps.
    const uint32_t first = s.song->loopSync;
    setLoop(*s.song, 1.0f, 2.0f);
    EXPECT_NE(s.song->loopSync, first);
    EXPECT_FALSE(s.song->stream->removeSync(first));
    EXPECT_EQ(s.song->loopStart, uint64_t(22050) * 4);
    EXPECT_EQ(s.song->loopEnd, uint64_t(44100) * 4);
    EXPECT_EQ(s.song->stream->position(), s.song->loopStart);
}

TEST(Song, LoopJumpsBackWhenPlaybackReachesItsEnd) {
    OfflineSong s(2, 120);
    ASSERT_TRUE(s.song);
    s.song->stream->play(true);
    setLoop(*s.song, 1.0f, 2.0f); // frames [22050, 44100)
    auto out = s.mix(22050 + 1000);
    for (int i = 0; i < 22050 + 1000; ++i) {
        const int source = 22050 + i % 22050;
        ASSERT_EQ(out[size_t(2 * i)], s.samples[size_t(2 * source)]) << "frame " << i;
    }
    EXPECT_EQ(s.song->stream->position(), uint64_t(22050 + 1000) * 4);
    EXPECT_NEAR(songTime(*s.song), 1.0f + 2.0f * 1000 / 44100.0f, 1e-4f);

    // A loop that ends at the file's end also jumps back (through its sync, not a wrap to 0).
    setLoop(*s.song, 2.0f, 400.0f);
    out = s.mix(44100 + 10);
    EXPECT_EQ(out[size_t(2 * 44099)], s.samples[size_t(2 * 88199)]);
    EXPECT_EQ(out[size_t(2 * 44100)], s.samples[size_t(2 * 44100)]);
    EXPECT_TRUE(s.song->stream->isPlaying());
}

TEST(Song, StartSeeksAndLoopsOnlyFromAPositiveStart) {
    {
        OfflineSong s(3, 60);
        ASSERT_TRUE(s.song);
        startSong(s.device.get(), *s.song, 0.0f, 2.0f, true);
        EXPECT_EQ(s.song->loopSync, 0u);
        EXPECT_EQ(s.song->stream->position(), 0u);
        EXPECT_TRUE(s.song->stream->isPlaying());
    }
    {
        OfflineSong s(3, 60);
        ASSERT_TRUE(s.song);
        startSong(s.device.get(), *s.song, 1.0f, 1.0f, true);
        EXPECT_EQ(s.song->loopSync, 0u);
        EXPECT_EQ(s.song->stream->position(), uint64_t(44100) * 4);
        startSong(s.device.get(), *s.song, 1.0f, 2.0f, true);
        EXPECT_NE(s.song->loopSync, 0u);
        s.mix(44100 + 10);
        EXPECT_EQ(s.song->stream->position(), uint64_t(44100 + 10) * 4);
    }
}

// Decoded on a worker while the caller goes on: the same song createSong makes (converted to the
// mixer's rate), and a file that cannot be decoded says its one line only when finished.
TEST(Song, DecodedOnAWorkerLikeCreateSong) {
    OfflineSong s(2, 60, 17);
    ASSERT_TRUE(s.song);
    ASSERT_TRUE(writeSound(s.dir.file("other.wav"), kWav16, 22050, 2, rampSamples(22050 * 2, 2)));
    std::ofstream(s.dir.file("broken.wav")) << "RIFF, but nothing after it";
    SongDecode same(s.dir.file("song.wav"), *s.device);
    SongDecode converted(s.dir.file("other.wav"), *s.device);
    testing::internal::CaptureStderr();
    SongDecode broken(s.dir.file("broken.wav"), *s.device);
    { SongDecode dropped(s.dir.file("broken.wav"), *s.device); }
    bool said = true;
    Ref<Song> song = same.finish(&said);
    EXPECT_FALSE(said);
    ASSERT_TRUE(song);
    EXPECT_EQ(song->latency, 17u);
    EXPECT_EQ(song->stream->length(), s.song->stream->length());
    Ref<Song> other = converted.finish(&said);
    ASSERT_TRUE(other);
    EXPECT_DOUBLE_EQ(other->stream->bytesToSeconds(other->stream->length()), 2.0) << "at its own rate";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "nothing said before finish";

    testing::internal::CaptureStderr();
    EXPECT_FALSE(broken.finish(&said));
    EXPECT_TRUE(said);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("broken.wav"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}
