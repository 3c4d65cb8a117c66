#include "app/TimelinePreroll.h"

#include "demo/Timeline.h"

#include <cmath>

long prerollTicks(double start, double beat, int bpm) {
    if (bpm <= 0 || !(beat > start))
        return 0;
    // Play keeps the simulation up to one tick ahead of the clock: before the frame at time t
    // after the part's start it has taken floor(t * 60) steps, and that frame takes one more. A
    // beat on the tick grid may come out a rounding error below it.
    const double ticks = (beat - start) * 3600.0 / bpm;
    return static_cast<long>(std::floor(ticks + 1e-9 * std::fmax(1.0, ticks)));
}

void prerollTimeline(Timeline& timeline, double beat, int bpm) {
    constexpr float sixtieth = 0.016666668f;
    const float shown = static_cast<float>(beat);
    for (const TimelineEntry& entry : timeline.entries()) {
        if (!entry.part || !(shown >= entry.start && shown < entry.end))
            continue;
        const long ticks = prerollTicks(entry.start, beat, bpm);
        for (long j = 0; j < ticks; ++j)
            entry.part->update(static_cast<float>(entry.start + static_cast<double>(j) * bpm / 3600.0),
                               sixtieth);
    }
}
