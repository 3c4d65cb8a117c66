#include "app/SoundDevice.h"

#include "core/Diagnostics.h"

#include <string>

SoundDevice::~SoundDevice() {
    if (initialized && mixer) {
        mixer->stop();
        mixer->close();
    }
    initialized = false;
}

bool SoundDevice::initialize(bool silent) {
    std::string error;
    mixer = audio::Mixer::openDevice(silent, error);
    if (!mixer) {
        diagnostic("audio output", silent ? "dummy driver" : "default device",
                   silent ? "%s" : "%s (run with --no-sound to play silently)", error.c_str());
        return false;
    }
    latency = int32_t(mixer->latencyMs());
    initialized = true;
    return true;
}

void SoundDevice::start() {
    if (mixer)
        mixer->start();
}

void SoundDevice::update() {
    if (mixer)
        mixer->update();
}
