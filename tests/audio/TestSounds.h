#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

// A recognisable signal: every sample differs from its neighbours and none is zero, so a test
// can tell exactly which frame of the file it is looking at.
inline std::vector<int16_t> rampSamples(int frames, int channels) {
    std::vector<int16_t> samples(size_t(frames) * size_t(channels));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[size_t(i * channels + c)] = int16_t(((i * 7 + c * 3) % 30000) + 1 - 15000 * c);
    return samples;
}

// Writes a sound file with libsndfile; false if this libsndfile cannot write the format.
inline bool writeSound(const std::string& path, int format, int rate, int channels,
                       const std::vector<int16_t>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    const sf_count_t frames = sf_count_t(samples.size() / size_t(channels));
    const bool ok = sf_writef_short(file, samples.data(), frames) == frames;
    sf_close(file);
    return ok;
}

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kFlac16 = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr int kVorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
