#pragma once

#include "core/Object.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace audio {

class Stream;

// The audio output and its mixer: an SDL device (stereo, 16-bit) whose callback, on SDL's audio
// thread, mixes every playing stream. Streams and syncs are shared with that thread under one
// lock; sync callbacks run on the mixer thread with the lock held and may seek their stream.
class Mixer : public Object {
public:
    static constexpr int kRate = 44100;
    static constexpr int kBufferFrames = 1024;

    // Opens the default output. With `silent`, SDL's dummy driver stands in for a sound card (it
    // consumes the mix in real time). On failure answers null and puts the reason in `error`.
    // Only one device-backed mixer should exist at a time: SDL's audio driver is process-wide.
    [[nodiscard]] static Ref<Mixer> openDevice(bool silent, std::string& error);

    // A mixer without a device, driven by calls to mix(): for tests and benchmarks. Its streams
    // report exactly the mixed position, with no interpolation.
    [[nodiscard]] static Ref<Mixer> openOffline(int rate = kRate, int bufferFrames = kBufferFrames);

    ~Mixer() override;

    // Starts or pauses the device's callbacks (nothing for an offline mixer).
    void start();
    void stop();
    // Stops and releases the device. Streams stay valid but are no longer mixed.
    void close();
    // SDL mixes on its own thread, so there is nothing to do between frames.
    void update() {}

    int rate() const { return rate_; }
    int bufferFrames() const { return bufferFrames_; }
    // Output latency in milliseconds, measured once when the device opened: the duration of the
    // device buffer.
    uint32_t latencyMs() const { return latencyMs_; }
    bool interpolates() const { return interpolate_; }
    const std::string& driverName() const { return driver_; }

    // Mixes `frames` stereo frames of every playing stream into `out`: the body of the device
    // callback. Allocates nothing.
    void mix(int16_t* out, int frames);

private:
    friend class Stream;

    Mixer(int rate, int bufferFrames, bool interpolate);
    static void deviceCallback(void* user, uint8_t* bytes, int length);
    void attach(Stream* stream);
    void detach(Stream* stream);
    uint64_t counterNow() const;

    // Recursive: a sync callback runs under the lock and seeks its stream, which locks again.
    mutable std::recursive_mutex lock_;
    std::vector<Stream*> streams_;
    std::vector<int32_t> accumulator_;
    uint32_t nextSync_ = 1;
    uint32_t device_ = 0;
    int rate_;
    int bufferFrames_;
    uint32_t latencyMs_ = 0;
    bool interpolate_;
    bool audioInitialized_ = false;
    bool subsystemInitialized_ = false;
    double counterFrequency_ = 1.0;
    std::string driver_;
};

} // namespace audio
