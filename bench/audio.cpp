// The audio layer's costs: the mixer callback, whole-file decoding, and how smoothly the song
// clock advances between mixer callbacks.
#include "app/Song.h"
#include "app/SoundDevice.h"
#include "app/audio/Mixer.h"
#include "app/audio/SoundDecoder.h"
#include "app/audio/Stream.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Something music-like for the encoders: two detuned tones with a little noise.
std::vector<int16_t> musicSamples(int frames) {
    std::vector<int16_t> samples(size_t(frames) * 2);
    uint32_t noise = 0x12345678;
    for (int i = 0; i < frames; ++i) {
        noise = noise * 16807;
        const double t = double(i) / 44100.0;
        const double n = double(int32_t(noise >> 16) - 32768) / 32768.0;
        samples[size_t(2 * i)] = int16_t(9000 * std::sin(2 * M_PI * 220 * t) + 2000 * n);
        samples[size_t(2 * i + 1)] = int16_t(9000 * std::sin(2 * M_PI * 331 * t) + 2000 * n);
    }
    return samples;
}

std::string tempPath(const char* name) {
    return std::string(P_tmpdir) + "/vorndle-bench-" + std::to_string(getpid()) + "-" + name;
}

// Encodes `seconds` of stereo 44.1 kHz with libsndfile and answers the file's bytes.
std::string encode(int format, int seconds) {
    const std::string path = tempPath("encode");
    const auto samples = musicSamples(44100 * seconds);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return {};
    sf_writef_short(file, samples.data(), sf_count_t(samples.size() / 2));
    sf_close(file);
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    return bytes;
}

void mixerCallback(benchmark::State& state, int channels) {
    const int frames = 1024;
    auto mixer = audio::Mixer::openOffline(44100, frames);
    audio::DecodedSound sound;
    sound.samples = musicSamples(44100 * 4);
    if (channels == 1)
        sound.samples.resize(sound.samples.size() / 2);
    sound.rate = sound.fileRate = 44100;
    sound.channels = sound.fileChannels = channels;
    sound.fileFrames = sound.samples.size() / size_t(channels);
    auto stream = audio::Stream::fromSound(*mixer, std::move(sound), "bench");
    // A loop sync as the song has, so the sync scan is part of the cost.
    stream->addPositionSync(
        stream->length() / 2, [](audio::Stream& s, void*) { s.setPosition(0); }, nullptr);
    stream->setLooping(true);
    stream->play(true);
    std::vector<int16_t> out(size_t(frames) * 2);
    for (auto _ : state) {
        mixer->mix(out.data(), frames);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["buffer_ms"] = 1000.0 * frames / 44100.0;
    state.SetItemsProcessed(int64_t(state.iterations()) * frames);
}

void BM_MixerCallback1024Stereo(benchmark::State& state) {
    mixerCallback(state, 2);
}
void BM_MixerCallback1024Mono(benchmark::State& state) {
    mixerCallback(state, 1);
}
BENCHMARK(BM_MixerCallback1024Stereo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MixerCallback1024Mono)->Unit(benchmark::kMicrosecond);

void decode(benchmark::State& state, int format) {
    const std::string bytes = encode(format, 10);
    if (bytes.empty()) {
        state.SkipWithError("libsndfile cannot write this format");
        return;
    }
    uint64_t pcmBytes = 0;
    for (auto _ : state) {
        audio::DecodedSound sound;
        if (!audio::decodeSoundMemory(bytes.data(), bytes.size(), "bench", sound)) {
            state.SkipWithError("decode failed");
            return;
        }
        pcmBytes += sound.samples.size() * 2;
        benchmark::DoNotOptimize(sound.samples.data());
    }
    state.SetBytesProcessed(int64_t(pcmBytes));
    state.counters["file_kB"] = double(bytes.size()) / 1000.0;
}

void BM_DecodeVorbis(benchmark::State& state) {
    decode(state, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
}
void BM_DecodeFlac(benchmark::State& state) {
    decode(state, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
}
void BM_DecodeWav(benchmark::State& state) {
    decode(state, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}
BENCHMARK(BM_DecodeVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFlac)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeWav)->Unit(benchmark::kMillisecond);

// Samples the song time at 60 Hz for 5 s of real playback (through SDL's dummy driver unless
// SDL_AUDIODRIVER names another) and reports the standard deviation of successive differences
// against the ideal step: both the measured wall-clock step and the nominal 1/60 s.
void BM_SongClockSmoothness(benchmark::State& state) {
    const std::string path = tempPath("clock.wav");
    {
        const auto samples = musicSamples(44100 * 7);
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        sf_writef_short(file, samples.data(), sf_count_t(samples.size() / 2));
        sf_close(file);
    }
    Ref<SoundDevice> device = makeRef<SoundDevice>();
    if (!device->initialize(std::getenv("SDL_AUDIODRIVER") == nullptr)) {
        state.SkipWithError("no audio output");
        return;
    }
    Ref<Song> song = createSong(path, *device);
    std::remove(path.c_str());
    if (!song) {
        state.SkipWithError("song did not open");
        return;
    }
    using Clock = std::chrono::steady_clock;
    const int samplesWanted = 5 * 60;
    std::vector<double> songSeconds, wallSeconds;
    songSeconds.reserve(samplesWanted + 1);
    wallSeconds.reserve(samplesWanted + 1);
    for (auto _ : state) {
        startSong(device.get(), *song, 0.0f, 0.0f, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto begin = Clock::now();
        for (int i = 0; i <= samplesWanted; ++i) {
            std::this_thread::sleep_until(begin + std::chrono::microseconds(i * 1000000 / 60));
            const auto now = Clock::now();
            songSeconds.push_back(double(songTime(*song))); // bpm 60: beats are seconds
            wallSeconds.push_back(std::chrono::duration<double>(now - begin).count());
        }
    }
    double sumWall = 0, sumWall2 = 0, sumNominal = 0, sumNominal2 = 0, worst = 0;
    int backwards = 0;
    const size_t n = songSeconds.size() - 1;
    for (size_t i = 0; i < n; ++i) {
        const double step = songSeconds[i + 1] - songSeconds[i];
        const double wallError = step - (wallSeconds[i + 1] - wallSeconds[i]);
        const double nominalError = step - 1.0 / 60.0;
        sumWall += wallError;
        sumWall2 += wallError * wallError;
        sumNominal += nominalError;
        sumNominal2 += nominalError * nominalError;
        worst = std::max(worst, std::fabs(wallError));
        backwards += step < 0;
    }
    auto deviation = [&](double sum, double sum2) {
        const double mean = sum / double(n);
        return 1000.0 * std::sqrt(std::max(0.0, sum2 / double(n) - mean * mean));
    };
    state.counters["sd_vs_wall_ms"] = deviation(sumWall, sumWall2);
    state.counters["sd_vs_1/60_ms"] = deviation(sumNominal, sumNominal2);
    state.counters["worst_vs_wall_ms"] = 1000.0 * worst;
    state.counters["backwards"] = backwards;
    state.counters["pace"] = (songSeconds[n] - songSeconds[0]) / (wallSeconds[n] - wallSeconds[0]);
}
BENCHMARK(BM_SongClockSmoothness)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
