#include "app/audio/SoundDecoder.h"

#include "core/Diagnostics.h"
#include "core/Paths.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace audio {

namespace {

constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;
constexpr sf_count_t kChunkFrames = 1024;

struct MemoryFile {
    const unsigned char* data;
    sf_count_t size;
    sf_count_t offset;
};

sf_count_t memoryLength(void* user) {
    return static_cast<MemoryFile*>(user)->size;
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    sf_count_t base = whence == SEEK_CUR ? file->offset : whence == SEEK_END ? file->size : 0;
    sf_count_t target = base + offset;
    if (target < 0 || target > file->size)
        return -1;
    file->offset = target;
    return target;
}

sf_count_t memoryRead(void* buffer, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    sf_count_t n = std::max<sf_count_t>(0, std::min(count, file->size - file->offset));
    if (n > 0)
        std::memcpy(buffer, file->data + file->offset, size_t(n));
    file->offset += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t memoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->offset;
}

// Reads every frame the decoder yields, keeping the first two channels.
bool readAll(SNDFILE* file, const SF_INFO& info, const char* name, DecodedSound& out) {
    if (info.channels < 1 || info.samplerate < kMinRate || info.samplerate > kMaxRate) {
        diagnostic(name, "header", "unsupported format (%d channels at %d Hz)", info.channels,
                   info.samplerate);
        return false;
    }
    // Float-coded formats (Vorbis, Opus, MP3, float WAV) can overshoot full scale; clip rather
    // than wrap around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const int channels = info.channels;
    const int kept = std::min(channels, 2);
    out = DecodedSound();
    out.rate = info.samplerate;
    out.fileRate = info.samplerate;
    out.channels = kept;
    out.fileChannels = channels;
    // The header's count is only a hint: it may be wrong in a damaged file.
    if (info.frames > 0)
        out.samples.reserve(size_t(std::min<uint64_t>(uint64_t(info.frames) * kept, uint64_t(1) << 24)));

    std::vector<int16_t> chunk(size_t(kChunkFrames) * size_t(channels));
    uint64_t frames = 0;
    for (;;) {
        sf_count_t got = sf_readf_short(file, chunk.data(), kChunkFrames);
        if (got <= 0)
            break;
        if ((frames + uint64_t(got)) * uint64_t(channels) * 2 > kMaxDecodedBytes) {
            diagnostic(name, "data", "decoded sound exceeds %llu bytes",
                       static_cast<unsigned long long>(kMaxDecodedBytes));
            return false;
        }
        if (kept == channels) {
            out.samples.insert(out.samples.end(), chunk.begin(), chunk.begin() + got * channels);
        } else {
            for (sf_count_t i = 0; i < got; ++i)
                for (int c = 0; c < kept; ++c)
                    out.samples.push_back(chunk[size_t(i * channels + c)]);
        }
        frames += uint64_t(got);
    }
    if (frames == 0) {
        diagnostic(name, "data", "no audio frames could be decoded");
        return false;
    }
    out.fileFrames = frames;
    return true;
}

} // namespace

bool decodeSoundFile(const std::string& path, DecodedSound& out) {
    // libsndfile would report a folder or a broken link as a generic system error.
    if (std::string why = unreadableFileReason(path); !why.empty()) {
        diagnostic(path.c_str(), "open", "%s", why.c_str());
        return false;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        diagnostic(path.c_str(), "open", "%s", sf_strerror(nullptr));
        return false;
    }
    bool ok = readAll(file, info, path.c_str(), out);
    sf_close(file);
    return ok;
}

bool decodeSoundMemory(const void* data, size_t size, const char* name, DecodedSound& out) {
    static SF_VIRTUAL_IO io = {memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    MemoryFile memory{static_cast<const unsigned char*>(data), sf_count_t(size), 0};
    if (!data)
        memory.size = 0;
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (!file) {
        diagnostic(name, "open", "%s", sf_strerror(nullptr));
        return false;
    }
    bool ok = readAll(file, info, name, out);
    sf_close(file);
    return ok;
}

bool resampleSound(DecodedSound& sound, int rate, const char* name) {
    if (sound.rate == rate)
        return true;
    const uint64_t inFrames = sound.samples.size() / size_t(sound.channels);
    const uint64_t expected = inFrames * uint64_t(rate) / uint64_t(sound.rate) + 64;
    if (expected * uint64_t(sound.channels) * 2 > kMaxDecodedBytes) {
        diagnostic(name, "resample", "converted sound exceeds %llu bytes",
                   static_cast<unsigned long long>(kMaxDecodedBytes));
        return false;
    }
    SDL_AudioStream* converter = SDL_NewAudioStream(AUDIO_S16SYS, Uint8(sound.channels), sound.rate,
                                                    AUDIO_S16SYS, Uint8(sound.channels), rate);
    if (!converter) {
        diagnostic(name, "resample", "%s", SDL_GetError());
        return false;
    }
    std::vector<int16_t> converted;
    converted.reserve(size_t(expected) * size_t(sound.channels));
    std::vector<int16_t> chunk(4096 * size_t(sound.channels));
    const int chunkBytes = int(chunk.size() * sizeof(int16_t));
    auto drain = [&]() {
        for (;;) {
            int got = SDL_AudioStreamGet(converter, chunk.data(), chunkBytes);
            if (got <= 0)
                return got == 0;
            converted.insert(converted.end(), chunk.begin(), chunk.begin() + got / 2);
        }
    };
    bool ok = true;
    const size_t step = 65536 * size_t(sound.channels);
    for (size_t at = 0; ok && at < sound.samples.size(); at += step) {
        size_t n = std::min(step, sound.samples.size() - at);
        ok = SDL_AudioStreamPut(converter, sound.samples.data() + at, int(n * 2)) == 0 && drain();
    }
    ok = ok && SDL_AudioStreamFlush(converter) == 0 && drain();
    SDL_FreeAudioStream(converter);
    if (!ok || converted.empty()) {
        diagnostic(name, "resample", "conversion from %d Hz to %d Hz failed", sound.rate, rate);
        return false;
    }
    sound.samples.swap(converted);
    sound.rate = rate;
    return true;
}

} // namespace audio
