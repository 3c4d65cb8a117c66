// songsynth: renders a small text score to an audio file (WAV, FLAC or Ogg Vorbis by extension).
//
// Score lines (anything after '#' is a comment):
//   bpm N                         tempo in beats per minute (required, first)
//   length BEATS                  song length in beats
//   rate HZ                       sample rate (default 44100)
//   channels N                    1 or 2 (default 2)
//   click BEAT [AMP]              a short noise-and-sine click at BEAT
//   tone BEAT BEATS FREQ [AMP]    a sine tone with a soft attack and release
//   kick BEAT [AMP]               a pitch-swept sine drum
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Score {
    double bpm = 0;
    double lengthBeats = 0;
    int rate = 44100;
    int channels = 2;
    struct Event {
        std::string kind;
        double beat = 0, beats = 0, freq = 0, amp = 0.5;
    };
    std::vector<Event> events;
};

bool parseScore(const char* path, Score& score) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open\n", path);
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        std::istringstream words(line);
        std::string word;
        if (!(words >> word))
            continue;
        bool ok = true;
        if (word == "bpm") {
            ok = static_cast<bool>(words >> score.bpm) && score.bpm > 0 && score.bpm < 1000;
        } else if (word == "length") {
            ok = static_cast<bool>(words >> score.lengthBeats) && score.lengthBeats > 0 &&
                 score.lengthBeats < 100000;
        } else if (word == "rate") {
            ok = static_cast<bool>(words >> score.rate) && score.rate >= 8000 && score.rate <= 192000;
        } else if (word == "channels") {
            ok = static_cast<bool>(words >> score.channels) && (score.channels == 1 || score.channels == 2);
        } else if (word == "click" || word == "kick") {
            Score::Event e;
            e.kind = word;
            ok = static_cast<bool>(words >> e.beat);
            words >> e.amp;
            score.events.push_back(e);
        } else if (word == "tone") {
            Score::Event e;
            e.kind = word;
            ok = static_cast<bool>(words >> e.beat >> e.beats >> e.freq);
            words >> e.amp;
            score.events.push_back(e);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "%s: line %d: cannot read \"%s\"\n", path, number, line.c_str());
            return false;
        }
    }
    if (score.bpm <= 0 || score.lengthBeats <= 0) {
        std::fprintf(stderr, "%s: score needs bpm and length\n", path);
        return false;
    }
    return true;
}

void render(const Score& score, std::vector<float>& mono) {
    const double secondsPerBeat = 60.0 / score.bpm;
    const double rate = score.rate;
    mono.assign(static_cast<size_t>(score.lengthBeats * secondsPerBeat * rate), 0.0f);
    uint32_t noise = 0x12345678;
    for (const Score::Event& e : score.events) {
        size_t start = static_cast<size_t>(e.beat * secondsPerBeat * rate);
        if (start >= mono.size())
            continue;
        if (e.kind == "click") {
            size_t n = std::min(mono.size() - start, static_cast<size_t>(0.03 * rate));
            for (size_t i = 0; i < n; ++i) {
                double t = i / rate;
                noise = noise * 1664525u + 1013904223u;
                double white = (noise >> 8) / double(1 << 24) * 2 - 1;
                double env = std::exp(-t * 150);
                mono[start + i] +=
                    static_cast<float>(e.amp * env * (0.5 * white + std::sin(2 * M_PI * 2000 * t)));
            }
        } else if (e.kind == "kick") {
            size_t n = std::min(mono.size() - start, static_cast<size_t>(0.25 * rate));
            double phase = 0;
            for (size_t i = 0; i < n; ++i) {
                double t = i / rate;
                double f = 50 + 120 * std::exp(-t * 30);
                phase += 2 * M_PI * f / rate;
                mono[start + i] += static_cast<float>(e.amp * std::exp(-t * 12) * std::sin(phase));
            }
        } else if (e.kind == "tone") {
            double seconds = e.beats * secondsPerBeat;
            size_t n = std::min(mono.size() - start, static_cast<size_t>(seconds * rate));
            for (size_t i = 0; i < n; ++i) {
                double t = i / rate;
                double env = std::min(1.0, t / 0.01) * std::min(1.0, (seconds - t) / 0.05);
                double s = std::sin(2 * M_PI * e.freq * t) + 0.3 * std::sin(4 * M_PI * e.freq * t);
                mono[start + i] += static_cast<float>(e.amp * env * s * 0.7);
            }
        }
    }
    for (float& s : mono)
        s = std::tanh(s); // soft limit instead of clipping
}

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

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: songsynth SCORE OUTPUT.{wav,flac,ogg}\n"
                    "Renders a text score (bpm, length, click, kick, tone lines) to an audio file.\n");
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: songsynth SCORE OUTPUT.{wav,flac,ogg} (--help for more)\n");
        return 2;
    }
    Score score;
    if (!parseScore(argv[1], score))
        return 1;
    int format = formatFor(argv[2]);
    if (!format) {
        std::fprintf(stderr, "%s: unknown output format (use .wav, .flac or .ogg)\n", argv[2]);
        return 1;
    }
    std::vector<float> mono;
    render(score, mono);
    std::vector<float> frames(mono.size() * score.channels);
    for (size_t i = 0; i < mono.size(); ++i)
        for (int c = 0; c < score.channels; ++c)
            frames[i * score.channels + c] = mono[i];

    SF_INFO info{};
    info.samplerate = score.rate;
    info.channels = score.channels;
    info.format = format;
    SNDFILE* file = sf_open(argv[2], SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", argv[2], sf_strerror(nullptr));
        return 1;
    }
    sf_count_t written = sf_writef_float(file, frames.data(), static_cast<sf_count_t>(mono.size()));
    sf_close(file);
    if (written != static_cast<sf_count_t>(mono.size())) {
        std::fprintf(stderr, "%s: short write\n", argv[2]);
        return 1;
    }
    return 0;
}
