#include "app/capture/SongSegment.h"

#include "app/Song.h"

#include <algorithm>
#include <sndfile.h>
#include <vector>

bool writeSongSegment(const Song& song, int64_t first, int64_t count, const std::string& path,
                      std::string& error) {
    const audio::Stream& stream = *song.stream;
    const int channels = stream.pcmChannels();
    const std::vector<int16_t>& pcm = stream.pcm();
    const int64_t frames = static_cast<int64_t>(pcm.size()) / channels;

    SF_INFO info{};
    info.samplerate = stream.pcmRate();
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    static const int16_t silence[2 * 4096] = {};
    bool ok = true;
    for (int64_t at = first, end = first + count; ok && at < end;) {
        int64_t n = 0;
        if (at < 0 || at >= frames) {
            n = std::min<int64_t>(end, at < 0 ? std::min<int64_t>(0, end) : end) - at;
            n = std::min<int64_t>(n, 4096);
            ok = sf_writef_short(file, silence, n) == n;
        } else {
            n = std::min(end, frames) - at;
            ok = sf_writef_short(file, pcm.data() + at * channels, n) == n;
        }
        at += n;
    }
    if (!ok)
        error = path + ": " + sf_strerror(file);
    if (sf_close(file) != 0 && ok) {
        error = path + ": the sound cannot be written";
        ok = false;
    }
    return ok;
}
