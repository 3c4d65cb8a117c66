#include "TempoMap.h"

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

double TempoMap::seconds(double beat) const {
    size_t i = segments_.size() - 1;
    while (i > 0 && segments_[i].beat > beat)
        --i;
    const Segment& s = segments_[i];
    return s.seconds + (beat - s.beat) * 60.0 / s.bpm;
}

double TempoMap::beat(double seconds) const {
    size_t i = segments_.size() - 1;
    while (i > 0 && segments_[i].seconds > seconds)
        --i;
    const Segment& s = segments_[i];
    return s.beat + (seconds - s.seconds) * s.bpm / 60.0;
}

int64_t TempoMap::frame(double beat, int rate) const {
    return static_cast<int64_t>(std::llround(seconds(beat) * rate));
}

double TempoMap::bpmAt(double beat) const {
    size_t i = segments_.size() - 1;
    while (i > 0 && segments_[i].beat > beat)
        --i;
    return segments_[i].bpm;
}
