#include "app/LaunchOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool parsePositive(const char* text, long max, long& out) {
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || *end || v <= 0 || v > max)
        return false;
    out = v;
    return true;
}

bool parseBeat(const char* text, double& out) {
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text, &end);
    if (errno || *end || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool parseBeatList(const char* text, std::vector<double>& out) {
    out.clear();
    std::string list = text ? text : "";
    size_t at = 0;
    while (at <= list.size()) {
        size_t comma = list.find(',', at);
        if (comma == std::string::npos)
            comma = list.size();
        double beat = 0;
        if (!parseBeat(list.substr(at, comma - at).c_str(), beat))
            return false;
        out.push_back(beat);
        at = comma + 1;
    }
    return !out.empty();
}

// Options without a value: each sets one member.
struct Flag {
    const char* name;
    bool LaunchOptions::*member;
};

constexpr Flag flags[] = {
    {"--help", &LaunchOptions::help},
    {"-h", &LaunchOptions::help},
    {"--version", &LaunchOptions::version},
    {"--no-dialog", &LaunchOptions::noDialog},
    {"--no-sound", &LaunchOptions::noSound},
    {"--no-message-box", &LaunchOptions::noMessageBox},
    {"--share", &LaunchOptions::shareVideo},
    {"--stats", &LaunchOptions::stats},
    {"--check-state", &LaunchOptions::checkState},
    {"--no-state-cache", &LaunchOptions::noStateCache},
    {"--profile", &LaunchOptions::profile},
    {"--edit", &LaunchOptions::edit},
    {"--overlay", &LaunchOptions::overlay},
};

// Pairs of options that override a setting one way or the other.
struct Toggle {
    const char* name;
    std::optional<bool> LaunchOptions::*member;
    bool value;
};

constexpr Toggle toggles[] = {
    {"--fullscreen", &LaunchOptions::fullscreen, true},
    {"--windowed", &LaunchOptions::fullscreen, false},
    {"--vsync", &LaunchOptions::vsync, true},
    {"--no-vsync", &LaunchOptions::vsync, false},
};

// Options whose value is a path, taken as it is; `wants`, when set, says what an empty one lacks.
struct PathOption {
    const char* name;
    std::string LaunchOptions::*member;
    const char* wants;
};

constexpr PathOption pathOptions[] = {
    {"--root", &LaunchOptions::root, nullptr},
    {"--profile-json", &LaunchOptions::profileJsonPath, nullptr},
    {"--sources", &LaunchOptions::sourcesPath, "a folder"},
    {"--control", &LaunchOptions::controlPath, "a socket path"},
    {"--render", &LaunchOptions::renderPath, "a path"},
    {"--out", &LaunchOptions::stillsFolder, "a path"},
    {"--sheet", &LaunchOptions::sheetPath, "a path"},
};

// Readers of the other options' values; each answers false with `error` set on a bad one.
bool readSize(LaunchOptions& o, const std::string&, const char* v, std::string& error) {
    const char* x = std::strchr(v, 'x');
    long w = 0, h = 0;
    if (!x || !parsePositive(std::string(v, x).c_str(), 16384, w) || !parsePositive(x + 1, 16384, h)) {
        error = std::string("--size wants WIDTHxHEIGHT, got \"") + v + "\"";
        return false;
    }
    o.width = static_cast<int>(w);
    o.height = static_cast<int>(h);
    return true;
}

bool readAnisotropy(LaunchOptions& o, const std::string&, const char* v, std::string& error) {
    long n = 0;
    if (!parsePositive(v, 16, n) || (n & (n - 1)) != 0) {
        error = std::string("--anisotropy wants 1, 2, 4, 8 or 16, got \"") + v + "\"";
        return false;
    }
    o.anisotropy = int(n);
    return true;
}

bool readFrames(LaunchOptions& o, const std::string&, const char* v, std::string& error) {
    if (!parsePositive(v, 1L << 40, o.frames)) {
        error = std::string("--frames wants a positive count, got \"") + v + "\"";
        return false;
    }
    return true;
}

bool readCapture(LaunchOptions& o, const std::string&, const char* v, std::string& error) {
    const char* colon = std::strchr(v, ':');
    long frame = 0;
    if (!colon || !colon[1] ||
        (std::string(v, colon) != "0" && !parsePositive(std::string(v, colon).c_str(), 1L << 40, frame))) {
        error = std::string("--capture wants FRAME:FILE.png, got \"") + v + "\"";
        return false;
    }
    o.captureFrame = frame;
    o.capturePath = colon + 1;
    return true;
}

bool readBeatOption(const std::string& name, const char* v, std::optional<double>& out, std::string& error) {
    double beat = 0;
    if (!parseBeat(v, beat)) {
        error = name + " wants a beat, got \"" + v + "\"";
        return false;
    }
    out = beat;
    return true;
}

bool readFrom(LaunchOptions& o, const std::string& name, const char* v, std::string& error) {
    return readBeatOption(name, v, o.fromBeat, error);
}

bool readTo(LaunchOptions& o, const std::string& name, const char* v, std::string& error) {
    return readBeatOption(name, v, o.toBeat, error);
}

// The range is checked with the other capture options; here only the number.
bool readFps(LaunchOptions& o, const std::string&, const char* v, std::string& error) {
    char* end = nullptr;
    errno = 0;
    o.fps = std::strtol(v, &end, 10);
    if (errno || !*v || *end) {
        error = std::string("--fps wants a whole number of frames per second, got \"") + v + "\"";
        return false;
    }
    o.fpsGiven = true;
    return true;
}

bool readStills(LaunchOptions& o, const std::string&, const char* v, std::string& error) {
    if (!parseBeatList(v, o.stillBeats)) {
        error = std::string("--stills wants beats separated by commas, got \"") + v + "\"";
        return false;
    }
    return true;
}

struct ValueOption {
    const char* name;
    bool (*read)(LaunchOptions& o, const std::string& name, const char* value, std::string& error);
};

constexpr ValueOption valueOptions[] = {
    {"--size", readSize},     {"--anisotropy", readAnisotropy},
    {"--frames", readFrames}, {"--capture", readCapture},
    {"--from", readFrom},     {"--to", readTo},
    {"--fps", readFps},       {"--stills", readStills},
};

template <class Entry, size_t N> const Entry* findOption(const Entry (&table)[N], const std::string& name) {
    for (const Entry& e : table)
        if (name == e.name)
            return &e;
    return nullptr;
}

} // namespace

bool LaunchOptions::parse(int argc, const char* const* argv, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (const Flag* flag = findOption(flags, arg)) {
            this->*flag->member = true;
            continue;
        }
        if (const Toggle* toggle = findOption(toggles, arg)) {
            this->*toggle->member = toggle->value;
            continue;
        }
        const PathOption* path = findOption(pathOptions, arg);
        const ValueOption* option = path ? nullptr : findOption(valueOptions, arg);
        if (!path && !option) {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (option) {
            if (!option->read(*this, arg, value, error))
                return false;
        } else if (path->wants && !*value) {
            error = arg + " wants " + path->wants;
            return false;
        } else {
            this->*path->member = value;
        }
    }
    return true;
}

bool LaunchOptions::checkCapture(std::string& error) const {
    if (overlay && !editing()) {
        error = "--overlay only applies to --edit or --control";
        return false;
    }
    if (!sourcesPath.empty() && !edit) {
        error = "--sources only applies to --edit";
        return false;
    }
    if (editing() && capturing()) {
        error = std::string(edit ? "--edit" : "--control") + " cannot be combined with --render or --stills";
        return false;
    }
    if (!renderPath.empty() && !stillBeats.empty()) {
        error = "--render and --stills cannot be combined";
        return false;
    }
    if (renderPath.empty() && (toBeat || fpsGiven || shareVideo)) {
        error = std::string(toBeat ? "--to" : fpsGiven ? "--fps" : "--share") + " only applies to --render";
        return false;
    }
    if (fps <= 0 || fps > 1000) {
        error = "--fps must lie between 1 and 1000, got " + std::to_string(fps);
        return false;
    }
    if (fromBeat && toBeat && *toBeat <= *fromBeat) {
        error = "--to must lie after --from";
        return false;
    }
    if (!stillBeats.empty() && stillsFolder.empty()) {
        error = "--stills needs --out DIR for the pictures";
        return false;
    }
    if (stillBeats.empty() && (!stillsFolder.empty() || !sheetPath.empty())) {
        error = std::string(stillsFolder.empty() ? "--sheet" : "--out") + " only applies to --stills";
        return false;
    }
    if (!stillBeats.empty() && fromBeat) {
        error = "--from does not apply to --stills";
        return false;
    }
    return true;
}

void LaunchOptions::applyTo(ApplicationSettings& settings) const {
    if (width)
        settings.width = *width;
    if (height)
        settings.height = *height;
    if (fullscreen)
        settings.fullscreen = *fullscreen;
    if (vsync)
        settings.vsync = *vsync;
    if (anisotropy)
        settings.anisotropy = *anisotropy;
    if (settings.height > 0)
        settings.aspect = static_cast<float>(settings.width) / static_cast<float>(settings.height);
}

const char* LaunchOptions::usage() {
    return "Options:\n"
           "  --root DIR         demo root that holds data/ (default: the program's folder, or when that\n"
           "                     has no data/, PREFIX/share/games/NAME for PREFIX/games/NAME)\n"
           "  --size WxH         window or full-screen size\n"
           "  --fullscreen       full screen (falls back to a window if the mode is refused)\n"
           "  --windowed         in a window\n"
           "  --vsync            wait for vertical sync\n"
           "  --no-vsync         do not wait for vertical sync\n"
           "  --anisotropy N     anisotropic filtering 1 (off), 2, 4, 8 or 16; without it a software\n"
           "                     renderer (llvmpipe) filters without, as it would crawl\n"
           "  --no-dialog        skip the settings dialog\n"
           "  --no-sound         play silently in real time when no audio device opens\n"
           "  --no-message-box   report failures on standard error only (no message box)\n"
           "  --frames N         end after N frames, as if the window were closed\n"
           "  --capture N:FILE   save frame N (counted from 0) as a PNG picture\n"
           "  --stats            print the start-up time, where it went, and the frame rate at the end\n"
           "  --profile          time every pass of every frame (GPU and CPU) and count its work;\n"
           "                     print a table per part at the end\n"
           "  --profile-json F   write one JSON record per frame with its passes to F\n"
           "  --from BEAT        start playing (or rendering) at BEAT\n"
           "  --render OUT       render frames instead of playing: OUT is a folder (ends with /) for\n"
           "                     frame_000000.png ..., or a video file .mp4, .webm or .mkv (needs ffmpeg)\n"
           "  --to BEAT          with --render: stop before BEAT (default: the end of the timeline)\n"
           "  --fps F            with --render: frames per second of song time (default 60)\n"
           "  --share            with --render to .mp4: encode for video sites (H.264 High profile,\n"
           "                     AAC at 320 kb/s) instead of the fastest encoding\n"
           "  --stills B1,B2,... render one picture per beat into --out DIR as beat_<B>.png\n"
           "  --out DIR          the folder for --stills\n"
           "  --sheet FILE.png   with --stills: also a contact sheet of the pictures, labelled\n"
           "  --edit             authoring play: the keys below move through the film, and every\n"
           "                     file saved under data/ is loaded again at the current beat\n"
           "  --sources DIR      with --edit: DIR is the source tree of the played one; files saved in\n"
           "                     DIR/data/ are copied into the played data/, and when the played root\n"
           "                     is a build folder, a change in DIR/content/ makes the generated data\n"
           "                     again in the background (cmake --build ROOT --target vorndle_data)\n"
           "  --overlay          with --edit or --control: start with the overlay (F1) shown\n"
           "  --control PATH     take commands, one per line, from a local socket at PATH: seek BEAT,\n"
           "                     pause, play, loop A B, loop off, speed X, reload, still FILE.png,\n"
           "                     status, quit; each is answered with one line, ok ... or error ...\n"
           "  --check-state      read GL state back after every state change and before every draw;\n"
           "                     the first difference from what the device believes is reported and\n"
           "                     the program ends with exit code 3\n"
           "  --no-state-cache   send every state call as if nothing were known of GL\n"
           "  --help             show this text\n"
           "  --version          show the version and the commit the program was built from\n"
           "\n"
           "Keys with --edit:\n"
           "  Space              pause or resume (the music with it)\n"
           "  Left, Right        one beat back or on; with Shift one bar\n"
           "  PageUp, PageDown   the start of the part before or after\n"
           "  Home, End          the start or the end of the film\n"
           "  1 ... 9            the start of part 1 to 9\n"
           "  [  ]               loop from the start of the current bar, to its end\n"
           "  L                  loop the marked bars, or stop looping\n"
           "  -  =               half or double speed, 1/4x to 2x (the music plays only at 1x)\n"
           "  F1                 show or hide the overlay: beat, bar, time, parts, frame rate and\n"
           "                     frame times, loop and speed, the last reload and its error\n"
           "  F12                save the frame as beat_<B>.png in the working folder\n"
           "  Escape             end the program\n";
}
