// Plays a song file through the default output, with an optional loop, printing the song clock:
// a check by ear of the audio layer and the loop points.
#include "app/Song.h"
#include "app/SoundDevice.h"
#include "core/Version.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void usage(FILE* to) {
    std::fprintf(to, "usage: playsong [options] FILE\n"
                     "Plays FILE (WAV, FLAC, Ogg Vorbis/Opus, MP3, ...) through the default audio output.\n"
                     "\n"
                     "  --bpm N          tempo in beats per minute (default 60, so beats are seconds)\n"
                     "  --start BEAT     seek to this beat after starting\n"
                     "  --stop BEAT      with --start: loop from start to this beat\n"
                     "  --seconds S      stop after S seconds (default: at the song's end, or never\n"
                     "                   while looping; Ctrl-C stops)\n"
                     "  --no-sound       play silently in real time (SDL's dummy driver)\n"
                     "  --help           this text\n"
                     "  --version        the program's version and commit\n");
}

bool number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

} // namespace

int main(int argc, char** argv) {
    if (versionRequested(argc, argv))
        return printVersion("playsong");
    double bpm = 60, start = 0, stop = 0, seconds = -1;
    bool silent = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        double* value = nullptr;
        if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            usage(stdout);
            return 0;
        } else if (!std::strcmp(arg, "--no-sound")) {
            silent = true;
        } else if (!std::strcmp(arg, "--bpm")) {
            value = &bpm;
        } else if (!std::strcmp(arg, "--start")) {
            value = &start;
        } else if (!std::strcmp(arg, "--stop")) {
            value = &stop;
        } else if (!std::strcmp(arg, "--seconds")) {
            value = &seconds;
        } else if (arg[0] == '-' || path) {
            usage(stderr);
            return 2;
        } else {
            path = arg;
        }
        if (value && (++i >= argc || !number(argv[i], *value))) {
            std::fprintf(stderr, "playsong: %s needs a number\n", arg);
            return 2;
        }
    }
    if (!path || !(bpm > 0)) {
        usage(stderr);
        return 2;
    }

    Ref<SoundDevice> device = makeRef<SoundDevice>();
    if (!device->initialize(silent))
        return 1;
    Ref<Song> song = createSong(path, *device);
    if (!song)
        return 1;
    song->bpm = int32_t(bpm);
    song->beatsPerMs = float(bpm) * 0.016666668f * 0.001f;
    const bool looping = start > 0 && stop > start;
    std::printf("%s: %.3f s, %d Hz, %d channel(s); output %s, latency %d ms\n", path,
                song->stream->bytesToSeconds(song->stream->length()), song->stream->fileRate(),
                song->stream->fileChannels(), device->mixer->driverName().c_str(), device->latency);
    if (looping)
        std::printf("looping beats %.3f to %.3f\n", start, stop);

    std::signal(SIGINT, [](int) { interrupted = 1; });
    startSong(device.get(), *song, float(start), float(stop), looping);
    const auto begin = std::chrono::steady_clock::now();
    int lastSecond = -1;
    while (!interrupted && song->stream->isPlaying()) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (seconds >= 0 && elapsed >= seconds)
            break;
        if (int(elapsed * 4) != lastSecond) {
            lastSecond = int(elapsed * 4);
            std::printf("\rbeat %9.3f  position %8.3f s ", songTime(*song),
                        song->stream->bytesToSeconds(song->stream->position()));
            std::fflush(stdout);
        }
        device->update();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::printf("\n");
    song = nullptr;
    device = nullptr;
    return 0;
}
