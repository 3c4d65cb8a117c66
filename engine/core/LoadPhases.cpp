#include "core/LoadPhases.h"

LoadPhases& LoadPhases::global() {
    static LoadPhases phases;
    return phases;
}

void LoadPhases::start(Clock::time_point launch) {
    *this = LoadPhases();
    recording_ = true;
    since_ = launch;
    stack_[0] = Other;
    depth_ = 1;
}

void LoadPhases::charge(Clock::time_point now) {
    seconds_[stack_[depth_ - 1]] += std::chrono::duration<double>(now - since_).count();
    since_ = now;
}

void LoadPhases::begin(Phase phase) {
    if (!recording_)
        return;
    if (depth_ == kDepth) {
        ++overflow_;
        return;
    }
    charge(Clock::now());
    stack_[depth_++] = phase;
}

void LoadPhases::end() {
    if (!recording_)
        return;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (depth_ <= 1)
        return;
    charge(Clock::now());
    --depth_;
}

void LoadPhases::finish() {
    if (!recording_)
        return;
    charge(Clock::now());
    recording_ = false;
}

double LoadPhases::totalSeconds() const {
    double total = 0;
    for (double s : seconds_)
        total += s;
    return total;
}

const char* LoadPhases::name(Phase phase) {
    switch (phase) {
    case Window:
        return "window";
    case LoadingScreen:
        return "loading screen";
    case Sound:
        return "sound";
    case Song:
        return "song";
    case Targets:
        return "targets";
    case Programs:
        return "programs";
    case Textures:
        return "textures";
    case Meshes:
        return "meshes";
    case Production:
        return "production";
    case Scenes:
        return "scenes";
    case StateFiles:
        return "state files";
    case Preroll:
        return "preroll";
    case FirstFrame:
        return "first frame";
    case Other:
        return "other";
    case Count:
        break;
    }
    return "?";
}

void LoadPhases::print(std::FILE* out) const {
    for (int p = 0; p < Count; ++p) {
        std::fprintf(out, "stats:   %-15s %7.1f ms", name(Phase(p)), seconds_[p] * 1000.0);
        if (p == LoadingScreen)
            std::fprintf(out, " (%d frames presented)", presentedFrames_);
        std::fputc('\n', out);
    }
    std::fprintf(out, "stats:   %-15s %7.1f ms\n", "total", totalSeconds() * 1000.0);
}
