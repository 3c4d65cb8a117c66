#include "app/edit/Transport.h"

#include "app/KeyCodes.h"

#include <algorithm>
#include <cmath>

void Transport::setTimeline(std::vector<double> partStarts, double end) {
    std::sort(partStarts.begin(), partStarts.end());
    partStarts.erase(std::unique(partStarts.begin(), partStarts.end()), partStarts.end());
    starts_ = std::move(partStarts);
    end_ = end;
}

double Transport::lastBeat(int bpm) const {
    // One frame at 60 fps, in beats.
    const double frame = bpm > 0 ? bpm / 3600.0 : 1.0 / 60.0;
    return std::max(0.0, end_ - frame);
}

double Transport::clampBeat(double beat, int bpm) const {
    return std::clamp(beat, 0.0, lastBeat(bpm));
}

double Transport::previousPart(double beat) const {
    // A little before the current beat, so that a key pressed at a part's start goes one further.
    double found = 0;
    for (double start : starts_)
        if (start < beat - 1e-6)
            found = start;
    return found;
}

double Transport::nextPart(double beat) const {
    for (double start : starts_)
        if (start > beat + 1e-6)
            return start;
    return end_;
}

double Transport::seekForKey(int key, bool shift, double beat, int bpm) const {
    const double unit = shift ? kBeatsPerBar : 1;
    double target = -1;
    switch (key) {
    case keys::Right:
        target = (std::floor(beat / unit + 1e-9) + 1) * unit;
        break;
    case keys::Left:
        target = (std::ceil(beat / unit - 1e-9) - 1) * unit;
        break;
    case keys::PageDown:
        target = nextPart(beat);
        break;
    case keys::PageUp:
        target = previousPart(beat);
        break;
    case keys::Home:
        target = 0;
        break;
    case keys::End:
        target = end_;
        break;
    default:
        if (key >= '1' && key <= '9') {
            const size_t part = static_cast<size_t>(key - '1');
            if (part < starts_.size())
                target = starts_[part];
        }
        break;
    }
    return target < 0 && key != keys::Left ? -1 : clampBeat(target, bpm);
}

bool Transport::faster() {
    const double before = speed;
    speed = std::min(kFastest, speed * 2);
    return speed != before;
}

bool Transport::slower() {
    const double before = speed;
    speed = std::max(kSlowest, speed / 2);
    return speed != before;
}

void Transport::markLoopIn(double beat) {
    loopIn_ = std::floor(beat / kBeatsPerBar + 1e-9) * kBeatsPerBar;
}

void Transport::markLoopOut(double beat) {
    loopOut_ = (std::floor(beat / kBeatsPerBar + 1e-9) + 1) * kBeatsPerBar;
}

bool Transport::setLoop(double in, double out) {
    if (!(out > in))
        return false;
    loopIn_ = in;
    loopOut_ = out;
    looping_ = true;
    return true;
}

bool Transport::toggleLoop() {
    looping_ = !looping_ && loopOut_ > loopIn_;
    return looping_;
}

double Transport::wrapFor(double beat) const {
    return looping_ && beat >= loopOut_ ? loopIn_ : -1;
}
