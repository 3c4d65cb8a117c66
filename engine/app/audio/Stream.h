#pragma once

#include "app/audio/Mixer.h"
#include "core/Object.h"

#include <cstdint>
#include <string>
#include <vector>

namespace audio {

struct DecodedSound;

// One sound decoded whole into memory and played by a mixer. Positions and lengths are bytes of
// the decoded stream: 16-bit interleaved PCM at the file's own rate and channel count (a file at
// another rate is converted to the mixer's rate when opened; positions keep the file's units).
//
// The playback position advances smoothly: between two mixer callbacks it is interpolated from
// the high-resolution counter, it never passes what has been mixed, and it never runs backwards
// except across a seek (a loop jump is a seek).
class Stream : public Object {
public:
    // Called on the mixer thread when the mixed position reaches the sync's position; it may seek
    // the stream, and mixing goes on from the new position within the same buffer.
    using SyncCallback = void (*)(Stream& stream, void* user);

    // Decodes a file; null after one diagnostic line if it cannot be read.
    [[nodiscard]] static Ref<Stream> openFile(Mixer& mixer, const std::string& path);
    // Takes decoded PCM (converted to the mixer's rate here if needed); null if that fails.
    static Ref<Stream> fromSound(Mixer& mixer, DecodedSound&& sound, const char* name);

    ~Stream() override;

    // Starts playback, from the beginning if `restart`.
    void play(bool restart);
    void pause();
    // True while the stream is being mixed (false once it ran off its end without the loop flag).
    bool isPlaying() const;

    uint64_t secondsToBytes(double seconds) const;
    double bytesToSeconds(uint64_t bytes) const;

    // Seeks; false (position unchanged) beyond the length.
    bool setPosition(uint64_t bytes);
    uint64_t position() const;
    uint64_t length() const { return fileFrames_ * uint64_t(frameBytes_); }

    // Installs a position sync; answers its handle (never 0).
    uint32_t addPositionSync(uint64_t bytes, SyncCallback callback, void* user);
    // Removes a sync; once this returns the callback no longer runs. False if unknown.
    bool removeSync(uint32_t handle);

    // With the loop flag a stream that reaches its end restarts at 0 instead of stopping.
    void setLooping(bool looping);
    bool looping() const;

    int fileRate() const { return fileRate_; }
    int fileChannels() const { return frameBytes_ / 2; }

    // The decoded samples as they are mixed: interleaved, `pcmChannels()` per frame at the mixer's
    // rate. They never change after opening, so any thread may read them.
    const std::vector<int16_t>& pcm() const { return samples_; }
    int pcmChannels() const { return channels_; }
    int pcmRate() const { return mixer_->rate(); }

private:
    friend class Mixer;

    struct Sync {
        uint32_t handle;
        uint64_t at; // mixer frames
        SyncCallback callback;
        void* user;
    };
    // Where, within the last mixed buffer, a run of consecutive stream frames began.
    struct Segment {
        int offset;
        uint64_t start;
        uint32_t run;
    };
    static constexpr int kMaxSegments = 8;
    static constexpr int kMaxSyncsAtOnePosition = 16;

    Stream(Mixer& mixer, DecodedSound&& sound);
    // Mixer thread, lock held.
    void mixInto(int32_t* stereo, int frames, uint64_t ticks);
    void fireSyncs(uint64_t at);
    void beginSegment(int offset);

    uint64_t toMixerFrame(uint64_t fileFrame) const;
    uint64_t toFileFrame(uint64_t mixerFrame) const;

    Ref<Mixer> mixer_;
    std::vector<int16_t> samples_;
    int channels_;
    uint64_t frames_; // at the mixer's rate
    int fileRate_;
    int frameBytes_;
    uint64_t fileFrames_;

    // Shared with the mixer thread, under the mixer's lock.
    uint64_t pos_ = 0; // next mixer frame to mix
    bool playing_ = false;
    bool looping_ = false;
    bool mixing_ = false;
    int mixOffset_ = 0;
    uint32_t run_ = 0; // changes at every discontinuity (seek, wrap)
    std::vector<Sync> syncs_;
    Segment segments_[kMaxSegments];
    int segmentCount_ = 0;
    int mixedFrames_ = 0;
    uint64_t mixTicks_ = 0;
    bool clockLive_ = false;
    mutable uint64_t lastReported_ = 0;
    mutable uint32_t lastReportedRun_ = 0;
};

} // namespace audio
