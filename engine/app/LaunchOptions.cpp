#include "app/LaunchOptions.h"

#include <cerrno>
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

} // namespace

bool LaunchOptions::parse(int argc, const char* const* argv, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--root") {
            const char* v = value("--root");
            if (!v)
                return false;
            root = v;
        } else if (arg == "--size") {
            const char* v = value("--size");
            if (!v)
                return false;
            const char* x = std::strchr(v, 'x');
            long w = 0, h = 0;
            if (!x || !parsePositive(std::string(v, x).c_str(), 16384, w) ||
                !parsePositive(x + 1, 16384, h)) {
                error = std::string("--size wants WIDTHxHEIGHT, got \"") + v + "\"";
                return false;
            }
            width = static_cast<int>(w);
            height = static_cast<int>(h);
        } else if (arg == "--fullscreen") {
            fullscreen = true;
        } else if (arg == "--windowed") {
            fullscreen = false;
        } else if (arg == "--vsync") {
            vsync = true;
        } else if (arg == "--no-vsync") {
            vsync = false;
        } else if (arg == "--no-dialog") {
            noDialog = true;
        } else if (arg == "--no-sound") {
            noSound = true;
        } else if (arg == "--stats") {
            stats = true;
        } else if (arg == "--no-message-box") {
            noMessageBox = true;
        } else if (arg == "--frames") {
            const char* v = value("--frames");
            if (!v)
                return false;
            if (!parsePositive(v, 1L << 40, frames)) {
                error = std::string("--frames wants a positive count, got \"") + v + "\"";
                return false;
            }
        } else if (arg == "--capture") {
            const char* v = value("--capture");
            if (!v)
                return false;
            const char* colon = std::strchr(v, ':');
            long frame = 0;
            if (!colon || !colon[1] ||
                (std::string(v, colon) != "0" &&
                 !parsePositive(std::string(v, colon).c_str(), 1L << 40, frame))) {
                error = std::string("--capture wants FRAME:FILE.png, got \"") + v + "\"";
                return false;
            }
            captureFrame = frame;
            capturePath = colon + 1;
        } else {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
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
    if (settings.height > 0)
        settings.aspect = static_cast<float>(settings.width) / static_cast<float>(settings.height);
}

const char* LaunchOptions::usage() {
    return "Options:\n"
           "  --root DIR         demo root that holds data/ (default: the program's folder)\n"
           "  --size WxH         window or full-screen size\n"
           "  --fullscreen       full screen (falls back to a window if the mode is refused)\n"
           "  --windowed         in a window\n"
           "  --vsync            wait for vertical sync\n"
           "  --no-vsync         do not wait for vertical sync\n"
           "  --no-dialog        skip the settings dialog\n"
           "  --no-sound         play silently in real time when no audio device opens\n"
           "  --no-message-box   report failures on standard error only (no message box)\n"
           "  --frames N         end after N frames, as if the window were closed\n"
           "  --capture N:FILE   save frame N (counted from 0) as a PNG picture\n"
           "  --stats            print the start-up time and the frame rate at the end\n"
           "  --help             show this text\n";
}
