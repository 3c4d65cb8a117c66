#include "app/capture/CaptureJob.h"

#include "app/DemoApplication.h"
#include "app/capture/OfflineRenderer.h"
#include "app/capture/StillRenderer.h"
#include "demo/Timeline.h"

#include <cstdio>

double CaptureJob::timelineEnd() {
    double end = 0;
    for (const TimelineEntry& entry : Timeline::global().entries())
        if (entry.part && entry.end > end && entry.end > entry.start)
            end = entry.end;
    return end;
}

bool CaptureJob::checkBeat(const char* option, double beat, std::string& error) {
    const double end = timelineEnd();
    if (beat >= 0 && beat < end)
        return true;
    error = std::string(option) + ": beat " + beatText(beat) + " lies outside the timeline (0 to " +
            beatText(end) + ")";
    return false;
}

std::string CaptureJob::beatText(double beat) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", beat);
    return text;
}

Ref<CaptureJob> createCaptureJob(DemoApplication& app) {
    if (!app.options.renderPath.empty())
        return makeRef<OfflineRenderer>(app);
    if (!app.options.stillBeats.empty())
        return makeRef<StillRenderer>(app);
    return nullptr;
}
