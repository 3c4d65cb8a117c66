#pragma once

#include "Score.h"

#include <cstdint>
#include <vector>

// Converts beats to seconds and sample frames under a list of tempo changes (each holds from its
// beat until the next one).
class TempoMap {
public:
    TempoMap() = default;
    // `changes` must start at beat 0 and ascend, as the parser guarantees.
    explicit TempoMap(const std::vector<TempoChange>& changes);

    double seconds(double beat) const;
    double beat(double seconds) const;
    // The frame nearest to the beat's time.
    int64_t frame(double beat, int rate) const;
    double bpmAt(double beat) const;

private:
    struct Segment {
        double beat;
        double bpm;
        double seconds; // time at which the segment starts
    };
    const Segment& segmentAt(double beat) const;

    std::vector<Segment> segments_;
};
