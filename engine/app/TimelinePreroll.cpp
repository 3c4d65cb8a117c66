#include "app/TimelinePreroll.h"

#include "app/FrameSchedule.h"
#include "demo/Timeline.h"

void prerollTimeline(Timeline& timeline, float beat, int bpm) {
    constexpr float sixtieth = 0.016666668f;
    for (const TimelineEntry& entry : timeline.entries()) {
        if (!entry.part || !(beat >= entry.start && beat < entry.end))
            continue;
        const FrameSchedule ticks(entry.start, beat, 60, bpm);
        for (long j = 0; j < ticks.frameCount(); ++j)
            entry.part->update(ticks.beat(j), sixtieth);
    }
}
