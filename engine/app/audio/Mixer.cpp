#include "app/audio/Mixer.h"

#include "app/audio/Stream.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace audio {

Mixer::Mixer(int rate, int bufferFrames, bool interpolate)
    : accumulator_(size_t(bufferFrames) * 2), rate_(rate), bufferFrames_(bufferFrames),
      interpolate_(interpolate) {
    streams_.reserve(8);
    counterFrequency_ = double(SDL_GetPerformanceFrequency());
}

Mixer::~Mixer() {
    close();
}

Ref<Mixer> Mixer::openOffline(int rate, int bufferFrames) {
    return Ref<Mixer>(new Mixer(rate, std::max(bufferFrames, 1), false));
}

Ref<Mixer> Mixer::openDevice(bool silent, std::string& error) {
    Ref<Mixer> mixer(new Mixer(kRate, kBufferFrames, true));
    mixer->subsystemInitialized_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!mixer->subsystemInitialized_ && !silent) {
        error = SDL_GetError();
        return nullptr;
    }
    mixer->audioInitialized_ = mixer->subsystemInitialized_;
    const char* current = SDL_GetCurrentAudioDriver();
    if (silent && (!current || std::strcmp(current, "dummy") != 0)) {
        SDL_AudioQuit();
        mixer->audioInitialized_ = SDL_AudioInit("dummy") == 0;
        if (!mixer->audioInitialized_) {
            error = SDL_GetError();
            return nullptr;
        }
    }
    current = SDL_GetCurrentAudioDriver();
    mixer->driver_ = current ? current : "";

    SDL_AudioSpec wanted{};
    wanted.freq = kRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kBufferFrames;
    wanted.callback = [](void* user, Uint8* bytes, int length) { deviceCallback(user, bytes, length); };
    wanted.userdata = mixer.get();
    SDL_AudioSpec obtained{};
    // No format changes allowed: SDL converts if the hardware differs, so the mix stays bit-exact.
    mixer->device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (mixer->device_ == 0) {
        error = SDL_GetError();
        return nullptr;
    }
    const int frames = obtained.samples > 0 ? obtained.samples : kBufferFrames;
    mixer->latencyMs_ = uint32_t((uint64_t(frames) * 1000 + uint64_t(kRate) / 2) / uint64_t(kRate));
    return mixer;
}

void Mixer::start() {
    if (device_)
        SDL_PauseAudioDevice(device_, 0);
}

void Mixer::stop() {
    if (device_)
        SDL_PauseAudioDevice(device_, 1);
}

void Mixer::close() {
    if (device_) {
        // Waits for the audio thread: no callback runs once this returns.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    if (subsystemInitialized_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemInitialized_ = false;
    } else if (audioInitialized_) {
        SDL_AudioQuit();
    }
    audioInitialized_ = false;
}

void Mixer::deviceCallback(void* user, uint8_t* bytes, int length) {
    static_cast<Mixer*>(user)->mix(reinterpret_cast<int16_t*>(bytes), length / 4);
}

uint64_t Mixer::counterNow() const {
    return SDL_GetPerformanceCounter();
}

void Mixer::mix(int16_t* out, int frames) {
    const uint64_t ticks = counterNow();
    std::lock_guard<std::recursive_mutex> guard(lock_);
    int done = 0;
    while (done < frames) {
        const int n = std::min(frames - done, bufferFrames_);
        std::fill(accumulator_.begin(), accumulator_.begin() + n * 2, 0);
        // A buffer longer than ours is mixed in pieces; each piece's clock starts where it plays.
        const uint64_t pieceTicks = ticks + uint64_t(double(done) * counterFrequency_ / rate_);
        for (Stream* stream : streams_)
            stream->mixInto(accumulator_.data(), n, pieceTicks);
        int16_t* dst = out + done * 2;
        for (int i = 0; i < n * 2; ++i)
            dst[i] = int16_t(std::clamp(accumulator_[size_t(i)], -32768, 32767));
        done += n;
    }
}

void Mixer::attach(Stream* stream) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    streams_.push_back(stream);
}

void Mixer::detach(Stream* stream) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    streams_.erase(std::remove(streams_.begin(), streams_.end(), stream), streams_.end());
}

} // namespace audio
