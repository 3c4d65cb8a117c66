#include "demo/Timeline.h"

#include "demo/LoadingScreen.h"
#include "render/Device.h"
#include "render/FrameProfiler.h"

Timeline& Timeline::global() {
    static Timeline timeline;
    return timeline;
}

void Timeline::registerPart(const char* name, float start, float end, Ref<Part> part) {
    entries_.push_back(TimelineEntry{std::move(part), start, end, name ? name : ""});
}

bool Timeline::loadAll(Ref<LoadingScreen>& loadingScreen) {
    if (loadingScreen && !entries_.empty()) {
        unsigned n = static_cast<unsigned>(entries_.size());
        loadingScreen->setStep((1.0f - loadingScreen->progress) / static_cast<float>(n));
    }
    for (TimelineEntry& entry : entries_) {
        if (!entry.part || !entry.part->load(loadingScreen))
            return false;
    }
    return true;
}

void Timeline::unloadAll() {
    for (TimelineEntry& entry : entries_) {
        if (entry.part)
            entry.part->unload();
        entry.part = nullptr;
    }
    entries_.clear();
}

bool Timeline::frame(Ref<Device>& device, float time, float step) {
    if (time < 0)
        return true;
    int active = 0;
    for (TimelineEntry& entry : entries_) {
        // Half-open interval; a NaN time fails both comparisons and activates nothing.
        if (entry.part && time >= entry.start && time < entry.end) {
            FrameProfiler* profiler = device ? device->profiler() : nullptr;
            if (profiler)
                profiler->beginPart(entry.name.c_str());
            entry.part->update(time, step);
            entry.part->render(device, time, step);
            if (profiler)
                profiler->endPart();
            ++active;
        }
    }
    return active > 0;
}
