#include "app/audio/Stream.h"

#include "app/audio/SoundDecoder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace audio {

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

// a * b / c rounded to nearest, without overflow for any sound we accept.
uint64_t scale(uint64_t a, uint64_t b, uint64_t c) {
    return uint64_t((static_cast<unsigned __int128>(a) * b + c / 2) / c);
}

} // namespace

Stream::Stream(Mixer& mixer, DecodedSound&& sound)
    : mixer_(&mixer), samples_(std::move(sound.samples)), channels_(sound.channels),
      frames_(samples_.size() / size_t(sound.channels)), fileRate_(sound.fileRate),
      frameBytes_(sound.fileChannels * 2), fileFrames_(sound.fileFrames) {
    syncs_.reserve(4);
    mixer.attach(this);
}

Stream::~Stream() {
    // Once detached under the lock, no mixer callback can be inside this stream.
    mixer_->detach(this);
}

Ref<Stream> Stream::openFile(Mixer& mixer, const std::string& path) {
    DecodedSound sound;
    if (!decodeSoundFile(path, sound))
        return nullptr;
    return fromSound(mixer, std::move(sound), path.c_str());
}

Ref<Stream> Stream::fromSound(Mixer& mixer, DecodedSound&& sound, const char* name) {
    if (sound.channels < 1 || sound.channels > 2 || sound.samples.empty() || sound.fileFrames == 0)
        return nullptr;
    if (!resampleSound(sound, mixer.rate(), name))
        return nullptr;
    return Ref<Stream>(new Stream(mixer, std::move(sound)));
}

uint64_t Stream::toMixerFrame(uint64_t fileFrame) const {
    if (fileFrame >= fileFrames_)
        return frames_;
    if (fileRate_ == mixer_->rate())
        return fileFrame;
    return std::min(frames_, scale(fileFrame, uint64_t(mixer_->rate()), uint64_t(fileRate_)));
}

uint64_t Stream::toFileFrame(uint64_t mixerFrame) const {
    if (mixerFrame >= frames_)
        return fileFrames_;
    if (fileRate_ == mixer_->rate())
        return mixerFrame;
    return std::min(fileFrames_, scale(mixerFrame, uint64_t(fileRate_), uint64_t(mixer_->rate())));
}

void Stream::play(bool restart) {
    Guard guard(mixer_->lock_);
    if (restart || pos_ >= frames_) {
        pos_ = 0;
        ++run_;
    }
    clockLive_ = false;
    playing_ = true;
}

void Stream::pause() {
    Guard guard(mixer_->lock_);
    playing_ = false;
    clockLive_ = false;
}

bool Stream::isPlaying() const {
    Guard guard(mixer_->lock_);
    return playing_;
}

uint64_t Stream::secondsToBytes(double seconds) const {
    if (!(seconds > 0.0))
        return 0;
    const double frames = std::floor(seconds * fileRate_);
    // Far beyond any sound; keeps the conversion to an integer defined.
    if (frames >= 0x1p52)
        return uint64_t(0x1p52) * uint64_t(frameBytes_);
    return uint64_t(frames) * uint64_t(frameBytes_);
}

double Stream::bytesToSeconds(uint64_t bytes) const {
    return double(bytes) / (double(fileRate_) * double(frameBytes_));
}

bool Stream::setPosition(uint64_t bytes) {
    const uint64_t fileFrame = bytes / uint64_t(frameBytes_);
    if (fileFrame > fileFrames_)
        return false;
    Guard guard(mixer_->lock_);
    pos_ = toMixerFrame(fileFrame);
    ++run_;
    if (mixing_) {
        // A sync moved us in the middle of a buffer: the rest of it plays from here.
        beginSegment(mixOffset_);
    } else {
        clockLive_ = false;
    }
    return true;
}

uint64_t Stream::position() const {
    Guard guard(mixer_->lock_);
    uint64_t frame = pos_;
    if (mixer_->interpolates() && clockLive_ && segmentCount_ > 0) {
        const double ticks = double(mixer_->counterNow() - mixTicks_);
        const double elapsed = ticks * mixer_->rate() / mixer_->counterFrequency_;
        // Never past what was mixed: the counter runs on, the buffer does not.
        const int heard = elapsed >= double(mixedFrames_) ? mixedFrames_ : std::max(0, int(elapsed));
        int s = 0;
        while (s + 1 < segmentCount_ && segments_[s + 1].offset <= heard)
            ++s;
        const Segment& segment = segments_[s];
        frame = segment.start + uint64_t(heard - segment.offset);
        if (segment.run == lastReportedRun_ && frame < lastReported_)
            frame = lastReported_;
        lastReported_ = frame;
        lastReportedRun_ = segment.run;
    }
    return toFileFrame(frame) * uint64_t(frameBytes_);
}

uint32_t Stream::addPositionSync(uint64_t bytes, SyncCallback callback, void* user) {
    Guard guard(mixer_->lock_);
    const uint32_t handle = mixer_->nextSync_++;
    if (mixer_->nextSync_ == 0)
        mixer_->nextSync_ = 1;
    syncs_.push_back(Sync{handle, toMixerFrame(bytes / uint64_t(frameBytes_)), callback, user});
    return handle;
}

bool Stream::removeSync(uint32_t handle) {
    Guard guard(mixer_->lock_);
    auto it = std::find_if(syncs_.begin(), syncs_.end(), [&](const Sync& s) { return s.handle == handle; });
    if (it == syncs_.end())
        return false;
    syncs_.erase(it);
    return true;
}

void Stream::setLooping(bool looping) {
    Guard guard(mixer_->lock_);
    looping_ = looping;
}

bool Stream::looping() const {
    Guard guard(mixer_->lock_);
    return looping_;
}

void Stream::beginSegment(int offset) {
    if (segmentCount_ > 0 && segments_[segmentCount_ - 1].offset == offset)
        --segmentCount_; // nothing was mixed from the previous one
    // Out of slots (a pathological run of syncs): the latest segment matters most.
    if (segmentCount_ == kMaxSegments)
        --segmentCount_;
    segments_[segmentCount_++] = Segment{offset, pos_, run_};
}

void Stream::mixInto(int32_t* stereo, int frames, uint64_t ticks) {
    mixTicks_ = ticks;
    mixedFrames_ = 0;
    segmentCount_ = 0;
    clockLive_ = playing_;
    if (!playing_)
        return;
    mixing_ = true;
    beginSegment(0);
    int done = 0;
    while (done < frames) {
        if (pos_ >= frames_) {
            if (looping_ && frames_ > 0) {
                pos_ = 0;
                ++run_;
                beginSegment(done);
                continue;
            }
            playing_ = false;
            break;
        }
        uint64_t end = std::min(pos_ + uint64_t(frames - done), frames_);
        uint64_t syncAt = std::numeric_limits<uint64_t>::max();
        for (const Sync& sync : syncs_)
            if (sync.at > pos_ && sync.at <= end && sync.at < syncAt)
                syncAt = sync.at;
        if (syncAt <= end)
            end = syncAt;
        const int n = int(end - pos_);
        const int16_t* src = samples_.data() + pos_ * uint64_t(channels_);
        int32_t* dst = stereo + done * 2;
        if (channels_ == 2) {
            for (int i = 0; i < n * 2; ++i)
                dst[i] += src[i];
        } else {
            for (int i = 0; i < n; ++i) {
                dst[2 * i] += src[i];
                dst[2 * i + 1] += src[i];
            }
        }
        pos_ = end;
        done += n;
        mixedFrames_ = done;
        if (end == syncAt) {
            mixOffset_ = done;
            fireSyncs(syncAt);
        }
    }
    mixing_ = false;
}

void Stream::fireSyncs(uint64_t at) {
    // Copied first: a callback may add or remove syncs.
    Sync due[kMaxSyncsAtOnePosition];
    int count = 0;
    for (const Sync& sync : syncs_)
        if (sync.at == at && count < kMaxSyncsAtOnePosition)
            due[count++] = sync;
    for (int i = 0; i < count; ++i) {
        const uint32_t handle = due[i].handle;
        // Skip one that an earlier callback removed.
        if (std::any_of(syncs_.begin(), syncs_.end(), [&](const Sync& s) { return s.handle == handle; }))
            due[i].callback(*this, due[i].user);
    }
}

} // namespace audio
