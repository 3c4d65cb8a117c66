#include "TempoMap.h"

#include <algorithm>
#include <cmath>

TempoMap::TempoMap(const std::vector<TempoChange>& changes) {
    double seconds = 0;
    for (const TempoChange& c : changes) {
        if (!segments_.empty()) {
            const Segment& prev = segments_.back();
            seconds = prev.seconds + (c.beat - prev.beat) * 60.0 / prev.bpm;
        }
        segments_.push_back({c.beat, c.bpm, seconds});
    }
    if (segments_.empty())
        segments_.push_back({0, 120, 0});
}

const TempoMap::Segment& TempoMap::segmentAt(double beat) const {
    auto after = std::upper_bound(segments_.begin() + 1, segments_.end(), beat,
                                  [](double b, const Segment& s) { return b < s.beat; });
    return *(after - 1);
}

double TempoMap::seconds(double beat) const {
    const Segment& s = segmentAt(beat);
    return s.seconds + (beat - s.beat) * 60.0 / s.bpm;
}

double TempoMap::beat(double seconds) const {
    auto after = std::upper_bound(segments_.begin() + 1, segments_.end(), seconds,
                                  [](double t, const Segment& s) { return t < s.seconds; });
    const Segment& s = *(after - 1);
    return s.beat + (seconds - s.seconds) * s.bpm / 60.0;
}

int64_t TempoMap::frame(double beat, int rate) const {
    return static_cast<int64_t>(std::llround(seconds(beat) * rate));
}

double TempoMap::bpmAt(double beat) const {
    return segmentAt(beat).bpm;
}
