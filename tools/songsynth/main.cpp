// songsynth: compiles a text score (see ScoreParser.h), plays it through fluidsynth with a General
// MIDI SoundFont, masters it (DC removal, loudness target, true-peak limiter) and writes an audio
// file; optionally reports its figures and draws its spectrogram.
#include "AudioFile.h"
#include "FluidRenderer.h"
#include "LoudnessMeter.h"
#include "MasterStage.h"
#include "MasteredFile.h"
#include "ScoreCompiler.h"
#include "ScoreParser.h"
#include "Spectrogram.h"
#include "TruePeakMeter.h"
#include "core/Version.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

const char* usageText =
    "usage: songsynth [options] SCORE [OUTPUT.{ogg,wav,flac}]\n"
    "Compiles a text score, renders it with fluidsynth and a General MIDI SoundFont, masters it to\n"
    "the score's loudness target and true-peak ceiling, and writes the audio file.\n"
    "  --report            print length, loudness, true peak, notes per track and timings\n"
    "  --levels            print loudness and peak per bar\n"
    "  --spectrogram PNG   draw the spectrogram with the score's marks and bar lines\n"
    "  --soundfont FILE    SoundFont to play (default /usr/share/sounds/sf2/FluidR3_GM.sf2)\n"
    "  --threads N         synthesisers rendering in parallel (default 2)\n"
    "  --quality Q         Ogg Vorbis quality 0..1 (default 0.4)\n"
    "  --version           the program's version and commit\n";

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

struct Options {
    std::string score, output, spectrogram;
    std::string soundFont = FluidRenderer::defaultSoundFont;
    bool report = false;
    bool levels = false;
    int threads = 2;
    double quality = 0.4;
};

bool parseArguments(int argc, char** argv, Options& o) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "songsynth: %s needs a value\n", a.c_str());
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--report") {
            o.report = true;
        } else if (a == "--levels") {
            o.levels = true;
        } else if (a == "--spectrogram") {
            if (!value(o.spectrogram))
                return false;
        } else if (a == "--soundfont") {
            if (!value(o.soundFont))
                return false;
        } else if (a == "--threads") {
            if (!value(v))
                return false;
            o.threads = std::atoi(v.c_str());
            if (o.threads < 1 || o.threads > 16) {
                std::fprintf(stderr, "songsynth: --threads takes 1..16\n");
                return false;
            }
        } else if (a == "--quality") {
            if (!value(v))
                return false;
            o.quality = std::atof(v.c_str());
            if (!(o.quality >= 0 && o.quality <= 1)) {
                std::fprintf(stderr, "songsynth: --quality takes 0..1\n");
                return false;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "songsynth: unknown option %s (--help lists them)\n", a.c_str());
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        std::fprintf(stderr, "%s", usageText);
        return false;
    }
    o.score = positional[0];
    if (positional.size() == 2)
        o.output = positional[1];
    if (o.output.empty() && !o.report && !o.levels && o.spectrogram.empty()) {
        std::fprintf(stderr,
                     "songsynth: nothing to do: name an output file, --report, --levels or --spectrogram\n");
        return false;
    }
    if (!o.output.empty() && !AudioFile::knownExtension(o.output)) {
        std::fprintf(stderr, "%s: unknown output format (use .wav, .flac or .ogg)\n", o.output.c_str());
        return false;
    }
    return true;
}

void printLevels(const CompiledSong& song, const std::vector<float>& stereo) {
    std::printf("bar   beat     time   loudness  peak\n");
    const size_t frames = stereo.size() / 2;
    for (size_t b = 0; b < song.bars.size(); ++b) {
        double beat = song.bars[b];
        double end = b + 1 < song.bars.size() ? song.bars[b + 1] : song.lengthBeats;
        size_t from = std::min(frames, static_cast<size_t>(song.tempo.frame(beat, song.rate)));
        size_t to = std::min(frames, static_cast<size_t>(song.tempo.frame(end, song.rate)));
        std::vector<float> part(stereo.begin() + 2 * from, stereo.begin() + 2 * to);
        std::vector<double> l = LoudnessMeter::blocks(part, song.rate, (to - from) / double(song.rate) + 1e-3,
                                                      (to - from) / double(song.rate) + 1e-3);
        float peak = 0;
        for (float s : part)
            peak = std::max(peak, std::fabs(s));
        std::printf("%3zu  %5.1f  %6.2f s  %6.1f   %6.1f\n", b + 1, beat, song.tempo.seconds(beat),
                    l.empty() ? LoudnessMeter::silence : l[0], TruePeakMeter::toDb(peak));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (versionRequested(argc, argv))
        return printVersion("songsynth");
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s", usageText);
        return 0;
    }
    Options o;
    if (!parseArguments(argc, argv, o))
        return 2;

    const Clock::time_point start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    Score score;
    CompiledSong song;
    std::string error;
    if (!ScoreParser::parseFile(o.score, score, error) || !ScoreCompiler::compile(score, song, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<float> rendered;
    if (!FluidRenderer::render(song, o.soundFont, o.threads, rendered, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double synthSeconds = since(start);

    std::vector<float> output;
    MasteredFile::Result mastered;
    if (!MasteredFile::write(rendered, song.rate, song.loudness, song.ceiling, o.output, o.quality, output,
                             mastered, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double totalSeconds = since(start);
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    if (o.report) {
        double loudness = LoudnessMeter::integrated(output, song.rate);
        float samplePeak = 0;
        size_t clipped = 0;
        for (float s : output) {
            samplePeak = std::max(samplePeak, std::fabs(s));
            clipped += std::fabs(s) >= 1.0f;
        }
        const double fileSeconds = output.size() / 2.0 / song.rate;
        std::printf("score: %s\n", o.score.c_str());
        std::printf("length: %g beats, %.2f s (tempo %g bpm at the start); with the tail %.2f s\n",
                    song.lengthBeats, song.lengthSeconds, song.tempo.bpmAt(0), fileSeconds);
        std::printf("bars: %zu\n", song.bars.size());
        for (const CompiledMark& m : song.marks)
            std::printf("mark: %-10s beat %6.1f  %7.2f s\n", m.name.c_str(), m.beat,
                        m.frame / double(song.rate));
        std::printf("integrated loudness: %.1f LUFS (target %g)\n", loudness, song.loudness);
        std::printf("true peak: %.2f dBTP (ceiling %g), sample peak %.2f dBFS, clipped samples %zu\n",
                    mastered.truePeakDb, song.ceiling, TruePeakMeter::toDb(samplePeak), clipped);
        std::printf("DC offset: %.1e\n", MasterStage::dcOffset(output));
        std::printf("master: make-up gain %+.1f dB, deepest limiting %.1f dB, %d encoding(s)\n",
                    mastered.master.gainDb, mastered.master.limiterGainDb, mastered.attempts);
        std::printf("notes: %zu\n", song.noteCount);
        for (const ChannelSetup& c : song.channels)
            std::printf("  %-10s %s %3d  %5zu notes\n", c.name.c_str(), c.drums ? "kit    " : "program",
                        c.program + 1, c.notes);
        std::printf(
            "time: synthesis %.2f s, master %.2f s, encode and check %.2f s, total %.2f s (%.1f %% of "
            "the song's %.1f s); processor time %.2f s (%.1f %%)\n",
            synthSeconds, mastered.masterSeconds, mastered.encodeSeconds, totalSeconds,
            100 * totalSeconds / fileSeconds, fileSeconds, cpuSeconds, 100 * cpuSeconds / fileSeconds);
    }
    if (o.levels)
        printLevels(song, output);
    if (!o.spectrogram.empty()) {
        Spectrogram::Options s;
        for (const CompiledMark& m : song.marks)
            if (m.frame > 0)
                s.marks.push_back(m.frame);
        for (double b : song.bars)
            s.bars.push_back(song.tempo.frame(b, song.rate));
        if (!Spectrogram::write(o.spectrogram, output, song.rate, s, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
