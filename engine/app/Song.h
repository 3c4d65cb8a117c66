#pragma once

#include "app/audio/Stream.h"
#include "core/Object.h"

#include <cstdint>
#include <memory>
#include <string>

class SoundDevice;

// Base of the playable sounds.
class Sound : public Object {
public:
    ~Sound() override = default;
};

// The music: one decoded file with its tempo and an optional loop. Its playback position is the
// demo's clock.
class Song : public Sound {
public:
    ~Song() override;

    Ref<audio::Stream> stream;
    // Sync implementing the loop; 0 when no loop is set.
    uint32_t loopSync = 0;
    // Loop bounds in bytes of the decoded stream. The loop callback reads loopStart on the mixer
    // thread; setLoop writes it only while no loop sync is installed.
    uint64_t loopStart = 0;
    uint64_t loopEnd = 0;
    // Milliseconds subtracted from the playback position, so the picture follows what is heard.
    uint32_t latency = 0;
    int32_t bpm = 60;
    float beatsPerMs = 60 * 0.016666668f * 0.001f;
};

// Opens the song file; null (after a diagnostic line) if it cannot be read or the device has no
// output.
[[nodiscard]] Ref<Song> createSong(const std::string& path, SoundDevice& device);

// A song decoded on a worker thread while loading goes on, so the decoding (a second or so of
// work) overlaps the GL thread's. What the decoding has to say is held and said by `finish`, on
// the thread that calls it, so the lines come out where createSong would have said them.
class SongDecode {
public:
    // Starts decoding at once. The device must have its output open.
    SongDecode(std::string path, SoundDevice& device);
    // Waits for the worker; the song is dropped unless `finish` took it.
    ~SongDecode();
    SongDecode(const SongDecode&) = delete;
    SongDecode& operator=(const SongDecode&) = delete;

    // Waits for the worker and says its diagnostic lines. The song, or null when it cannot be
    // played; `said` tells whether the decoding printed why.
    Ref<Song> finish(bool* said);

private:
    struct Work;
    std::unique_ptr<Work> work_;
};

// Loops playback between two beats and seeks to the start. The stop is clamped to the song's
// end, a negative start to 0; a previous loop is removed.
void setLoop(Song& song, float start, float stop);

// The beat that is audible now: negative until the first latency interval has played.
float songTime(const Song& song);

double beatsToSeconds(const Song& song, float beats);
float secondsToBeats(const Song& song, double seconds);

// Seeks the song to a beat; false (position unchanged) if the seek fails.
bool seekSong(Song& song, float beats);

// Starts the music once everything is loaded: the output (if initialised), the song from its
// beginning, then, for a start beat above 0, a seek to it and, if looping is asked for and stop
// lies after start, the loop [start, stop].
void startSong(SoundDevice* device, Song& song, float start, float stop, bool looping);
