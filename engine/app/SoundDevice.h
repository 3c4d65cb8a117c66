#pragma once

#include "app/audio/Mixer.h"
#include "core/Object.h"

#include <cstdint>

// The initialised audio output. Created by the application before the output is opened;
// releasing it stops and closes the output.
class SoundDevice : public Object {
public:
    SoundDevice() = default;
    ~SoundDevice() override;

    // Opens the default output at 44100 Hz stereo and measures its latency. With `silent` the
    // output is SDL's dummy driver, which plays nothing but advances in real time. Answers false
    // after one diagnostic line when no output opens.
    [[nodiscard]] bool initialize(bool silent = false);

    // Starts the output running (the song must also be played).
    void start();
    // Lets the audio layer do its per-frame work: nothing, since mixing runs on its own thread.
    void update();

    // Output latency in milliseconds, as measured when the output opened.
    int32_t latency = 0;
    bool initialized = false;
    Ref<audio::Mixer> mixer;
};
