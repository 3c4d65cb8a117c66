#include "TestSounds.h"
#include "support/TempDir.h"

#include "app/Song.h"
#include "app/SoundDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Sets environment variables for the life of the object (the audio driver reads them when the
// output opens).
class ScopedEnv {
public:
    void set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? old : "", old != nullptr});
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->had)
                setenv(it->name, it->value.c_str(), 1);
            else
                unsetenv(it->name);
        }
    }

private:
    struct Saved {
        const char* name;
        std::string value;
        bool had;
    };
    std::vector<Saved> saved_;
};

} // namespace

// Runs in real time through SDL's dummy driver (no sound card needed).
TEST(Realtime, SongClockAdvancesAtRealTimePaceAndNeverBackwards) {
    TempDir dir;
    ASSERT_TRUE(writeSound(dir.file("song.wav"), kWav16, 44100, 2, rampSamples(44100 * 4, 2)));
    Ref<SoundDevice> device = makeRef<SoundDevice>();
    ASSERT_TRUE(device->initialize(true));
    EXPECT_EQ(device->mixer->driverName(), "dummy");
    EXPECT_GT(device->latency, 0);
    Ref<Song> song = createSong(dir.file("song.wav"), *device);
    ASSERT_TRUE(song);

    startSong(device.get(), *song, 0.0f, 0.0f, false);
    EXPECT_LT(songTime(*song), 0.0f);

    const auto begin = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    uint64_t last = 0;
    int backwards = 0;
    // The dummy driver paces itself with sleeps, which a loaded machine stretches: a window in which
    // another process took the cores runs slow. Up to three one-second windows are measured and
    // the best must be within 5 %, which still catches a clock counting the wrong unit or rate
    // (48 kHz against 44.1 kHz is already 9 %, in every window).
    double bestPace = 0;
    std::string measured;
    Clock::time_point t1;
    double p1 = 0;
    for (int window = 0; window < 3 && std::abs(bestPace - 1.0) > 0.05; ++window) {
        const auto t0 = Clock::now();
        const double p0 = song->stream->bytesToSeconds(song->stream->position());
        EXPECT_GT(p0, 0.0);
        while (Clock::now() - t0 < std::chrono::seconds(1)) {
            const uint64_t now = song->stream->position();
            backwards += now < last;
            last = now;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        t1 = Clock::now();
        p1 = song->stream->bytesToSeconds(song->stream->position());
        const double wall = std::chrono::duration<double>(t1 - t0).count();
        const double pace = (p1 - p0) / wall;
        if (std::abs(pace - 1.0) < std::abs(bestPace - 1.0))
            bestPace = pace;
        measured += " " + std::to_string(p1 - p0) + " s in " + std::to_string(wall) + " s;";
    }
    EXPECT_EQ(backwards, 0);
    EXPECT_NEAR(bestPace, 1.0, 0.05) << "audio" << measured;
    // The clock trails the wall clock by about the latency, never leads it by more than a buffer.
    const double sinceStart = std::chrono::duration<double>(t1 - begin).count();
    EXPECT_LT(p1, sinceStart * 1.02 + 0.05);
}

// The disk driver writes the mix to a file; a 16-bit 44.1 kHz WAV must come out unchanged.
TEST(Realtime, WavThroughTheDiskDriverIsBitExact) {
    TempDir dir;
    const int frames = 44100 / 2;
    const auto samples = rampSamples(frames, 2);
    ASSERT_TRUE(writeSound(dir.file("song.wav"), kWav16, 44100, 2, samples));
    const std::string raw = dir.file("mix.raw");
    {
        ScopedEnv env;
        env.set("SDL_AUDIODRIVER", "disk");
        env.set("SDL_DISKAUDIOFILE", raw);
        env.set("SDL_DISKAUDIODELAY", "1"); // about 20 times real time
        Ref<SoundDevice> device = makeRef<SoundDevice>();
        ASSERT_TRUE(device->initialize(false));
        EXPECT_EQ(device->mixer->driverName(), "disk");
        Ref<Song> song = createSong(dir.file("song.wav"), *device);
        ASSERT_TRUE(song);
        startSong(device.get(), *song, 0.0f, 0.0f, false);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (song->stream->isPlaying() && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_FALSE(song->stream->isPlaying());
        song = nullptr;
        device = nullptr;
    }
    std::ifstream in(raw, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> mix(bytes.size() / 2);
    std::memcpy(mix.data(), bytes.data(), mix.size() * 2);
    // The device may have written silence before it was started.
    size_t first = 0;
    while (first < mix.size() && mix[first] == 0)
        ++first;
    ASSERT_GE(mix.size() - first, samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), mix.begin() + std::ptrdiff_t(first)));
    EXPECT_EQ(first % 2, 0u);
}

// The loop sync fires on the mixer thread while the application thread reads the clock and sets
// new loops: playback stays inside the loop. Runs through the disk driver at about 20 times real
// time, so many loop ends pass in a short test.
TEST(Realtime, LoopHoldsPlaybackWhileTheApplicationMovesIt) {
    TempDir dir;
    ASSERT_TRUE(writeSound(dir.file("song.wav"), kWav16, 44100, 2, rampSamples(44100, 2)));
    ScopedEnv env;
    env.set("SDL_AUDIODRIVER", "disk");
    env.set("SDL_DISKAUDIOFILE", dir.file("mix.raw"));
    env.set("SDL_DISKAUDIODELAY", "1");
    Ref<SoundDevice> device = makeRef<SoundDevice>();
    ASSERT_TRUE(device->initialize(false));
    Ref<Song> song = createSong(dir.file("song.wav"), *device);
    ASSERT_TRUE(song);
    startSong(device.get(), *song, 0.2f, 0.3f, true);
    const float loops[][2] = {{0.2f, 0.3f}, {0.5f, 0.55f}, {0.1f, 0.9f}};
    for (const auto& loop : loops) {
        setLoop(*song, loop[0], loop[1]);
        const auto until = Clock::now() + std::chrono::milliseconds(100);
        int outside = 0;
        while (Clock::now() < until) {
            const double seconds = song->stream->bytesToSeconds(song->stream->position());
            outside += seconds < loop[0] - 1e-4 || seconds > loop[1] + 1e-4;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        EXPECT_EQ(outside, 0) << "loop " << loop[0] << " to " << loop[1];
        EXPECT_TRUE(song->stream->isPlaying());
    }
}
