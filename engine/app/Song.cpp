#include "app/Song.h"

#include "app/SoundDevice.h"
#include "core/Diagnostics.h"

#include "app/audio/Mixer.h"
#include "app/audio/SoundDecoder.h"

#include <cmath>
#include <thread>

namespace {

// Mixer thread, under the mixer's lock.
void loopCallback(audio::Stream& stream, void* user) {
    const Song* song = static_cast<const Song*>(user);
    if (!stream.setPosition(song->loopStart))
        stream.setPosition(0);
}

} // namespace

Song::~Song() {
    if (stream && loopSync)
        stream->removeSync(loopSync);
    loopSync = 0;
    stream = nullptr;
}

Ref<Song> createSong(const std::string& path, SoundDevice& device) {
    if (!device.mixer) {
        diagnostic(path.c_str(), "open", "the audio output is not initialised");
        return nullptr;
    }
    Ref<audio::Stream> stream = audio::Stream::openFile(*device.mixer, path);
    if (!stream)
        return nullptr;
    Ref<Song> song = makeRef<Song>();
    song->stream = stream;
    song->latency = uint32_t(device.latency);
    return song;
}

struct SongDecode::Work {
    std::string path;
    SoundDevice* device;
    audio::DecodedSound sound;
    std::vector<std::string> lines;
    bool decoded = false;
    std::thread worker;
};

SongDecode::SongDecode(std::string path, SoundDevice& device) : work_(std::make_unique<Work>()) {
    work_->path = std::move(path);
    work_->device = &device;
    const int rate = device.mixer->rate();
    Work* work = work_.get();
    work->worker = std::thread([work, rate] {
        DiagnosticHold hold;
        const audio::DecodedSound& sound = work->sound;
        // A layout the stream refuses is refused silently, before any conversion, as it would be
        // when the stream is opened directly.
        work->decoded = audio::decodeSoundFile(work->path, work->sound) && sound.channels >= 1 &&
                        sound.channels <= 2 && !sound.samples.empty() && sound.fileFrames != 0 &&
                        audio::resampleSound(work->sound, rate, work->path.c_str());
        work->lines = hold.take();
    });
}

SongDecode::~SongDecode() {
    if (work_->worker.joinable())
        work_->worker.join();
}

Ref<Song> SongDecode::finish(bool* said) {
    if (work_->worker.joinable())
        work_->worker.join();
    sayHeld(work_->lines);
    *said = !work_->lines.empty();
    work_->lines.clear();
    if (!work_->decoded)
        return nullptr;
    // Already at the mixer's rate: this only checks the layout and hands the samples over.
    Ref<audio::Stream> stream =
        audio::Stream::fromSound(*work_->device->mixer, std::move(work_->sound), work_->path.c_str());
    work_->decoded = false;
    if (!stream)
        return nullptr;
    Ref<Song> song = makeRef<Song>();
    song->stream = stream;
    song->latency = uint32_t(work_->device->latency);
    return song;
}

void setLoop(Song& song, float start, float stop) {
    audio::Stream& stream = *song.stream;
    const uint64_t length = stream.length();
    const float lengthSeconds = float(stream.bytesToSeconds(length));

    const float secondsPerBeat = 1.0f / (song.beatsPerMs * 1000.0f);
    float startSeconds = secondsPerBeat * start;
    if (startSeconds < 0.0f)
        startSeconds = 0.0f;
    float stopSeconds = secondsPerBeat * stop;
    if (stopSeconds > lengthSeconds)
        stopSeconds = lengthSeconds;

    uint64_t startBytes = stream.secondsToBytes(double(startSeconds));
    uint64_t stopBytes = stream.secondsToBytes(double(stopSeconds));
    if (startBytes > length)
        startBytes = 0;
    if (stopBytes > length)
        stopBytes = length;

    // The old sync goes first: until it is removed it may fire on the mixer thread and read
    // loopStart.
    if (song.loopSync) {
        stream.removeSync(song.loopSync);
        song.loopSync = 0;
    }
    song.loopStart = startBytes;
    song.loopEnd = stopBytes;
    song.loopSync = stream.addPositionSync(song.loopEnd, loopCallback, &song);
    stream.setPosition(song.loopStart);
    stream.setLooping(true);
}

float songTime(const Song& song) {
    const uint64_t bytes = song.stream->position();
    const double seconds = song.stream->bytesToSeconds(bytes);
    const float t = float((long double)seconds - (long double)song.latency * 0.001L);
    return t * 1000.0f * song.beatsPerMs;
}

double beatsToSeconds(const Song& song, float beats) {
    return double(beats / (song.beatsPerMs * 1000.0f));
}

float secondsToBeats(const Song& song, double seconds) {
    return float(seconds) * 1000.0f * song.beatsPerMs;
}

bool seekSong(Song& song, float beats) {
    return song.stream->setPosition(song.stream->secondsToBytes(beatsToSeconds(song, beats)));
}

void startSong(SoundDevice* device, Song& song, float start, float stop, bool looping) {
    if (device && device->initialized)
        device->start();
    song.stream->play(true);
    if (start > 0.0f) {
        seekSong(song, start);
        if (looping && stop > start)
            setLoop(song, start, stop);
    }
}
