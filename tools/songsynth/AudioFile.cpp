#include "AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

int formatFor(const std::string& path) {
    auto ends = [&](const char* ext) {
        size_t n = std::strlen(ext);
        return path.size() >= n && path.compare(path.size() - n, n, ext) == 0;
    };
    if (ends(".wav"))
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    if (ends(".flac"))
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    if (ends(".ogg"))
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    return 0;
}

// Ogg's page checksum: CRC-32 with the polynomial 0x04c11db7, most significant bit first, no
// reflection, starting from zero.
uint32_t oggChecksum(const unsigned char* data, size_t size) {
    static const auto table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xff];
    return crc;
}

// libsndfile numbers an Ogg stream from the clock, so the same sound would give a different file
// on every run. Every page gets one fixed stream number instead, and its checksum again.
bool fixOggStreamNumber(const std::string& path, std::string& error) {
    std::vector<unsigned char> bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const uint32_t stream = 0x566f726e;
    size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 27 || std::memcmp(&bytes[at], "OggS", 4) != 0 ||
            bytes.size() - at < 27u + bytes[at + 26]) {
            error = path + ": byte " + std::to_string(at) + ": not an Ogg page";
            return false;
        }
        size_t page = 27u + bytes[at + 26];
        for (unsigned i = 0; i < bytes[at + 26]; ++i)
            page += bytes[at + 27 + i];
        if (page > bytes.size() - at) {
            error = path + ": byte " + std::to_string(at) + ": Ogg page cut short";
            return false;
        }
        for (int i = 0; i < 4; ++i) {
            bytes[at + 14 + i] = static_cast<unsigned char>(stream >> (8 * i));
            bytes[at + 22 + i] = 0;
        }
        const uint32_t crc = oggChecksum(&bytes[at], page);
        for (int i = 0; i < 4; ++i)
            bytes[at + 22 + i] = static_cast<unsigned char>(crc >> (8 * i));
        at += page;
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (!out || std::fclose(out) != 0 || !written) {
        error = path + ": cannot be rewritten";
        return false;
    }
    return true;
}

} // namespace

bool AudioFile::knownExtension(const std::string& path) {
    return formatFor(path) != 0;
}

bool AudioFile::write(const std::string& path, const std::vector<float>& stereo, int rate, double quality,
                      std::string& error) {
    int format = formatFor(path);
    if (!format) {
        error = path + ": unknown output format (use .wav, .flac or .ogg)";
        return false;
    }
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS)
        sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    // The Vorbis encoder takes its input buffer from the stack: hand it modest chunks.
    const sf_count_t frames = static_cast<sf_count_t>(stereo.size() / 2);
    sf_count_t written = 0;
    while (written < frames) {
        sf_count_t n = std::min<sf_count_t>(4096, frames - written);
        sf_count_t done = sf_writef_float(file, stereo.data() + 2 * written, n);
        written += done;
        if (done != n)
            break;
    }
    int closed = sf_close(file);
    if (written != frames || closed != 0) {
        error = path + ": short write";
        return false;
    }
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS)
        return fixOggStreamNumber(path, error);
    return true;
}

bool AudioFile::read(const std::string& path, std::vector<float>& stereo, int& rate, std::string& error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    if ((info.channels != 1 && info.channels != 2) || info.frames < 0 ||
        info.frames > (sf_count_t(1) << 31)) {
        sf_close(file);
        error = path + ": not a mono or stereo song of a sane length";
        return false;
    }
    std::vector<float> buffer(static_cast<size_t>(info.frames) * info.channels);
    sf_count_t got = sf_readf_float(file, buffer.data(), info.frames);
    sf_close(file);
    buffer.resize(static_cast<size_t>(std::max<sf_count_t>(got, 0)) * info.channels);
    rate = info.samplerate;
    if (info.channels == 2) {
        stereo.swap(buffer);
    } else {
        stereo.resize(buffer.size() * 2);
        for (size_t i = 0; i < buffer.size(); ++i)
            stereo[2 * i] = stereo[2 * i + 1] = buffer[i];
    }
    return true;
}
