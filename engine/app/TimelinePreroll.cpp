#include "app/TimelinePreroll.h"

#include "app/FrameSchedule.h"
#include "demo/Timeline.h"

void prerollTimeline(Timeline& timeline, double beat, int bpm) {
    constexpr float sixtieth = 0.016666668f;
    for (const TimelineEntry& entry : timeline.entries()) {
        const float shown = static_cast<float>(beat);
        if (!entry.part || !(shown >= entry.start && shown < entry.end))
            continue;
        const FrameSchedule ticks(entry.start, beat, 60, bpm);
        for (long j = 0; j < ticks.frameCount(); ++j)
            entry.part->update(ticks.beat(j), sixtieth);
    }
}
