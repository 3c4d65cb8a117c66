#pragma once

#include "core/Object.h"
#include "demo/Part.h"

#include <list>
#include <string>

struct TimelineEntry {
    Ref<Part> part;
    float start = 0; // first active beat (inclusive)
    float end = 0;   // beat at which the part stops being active (exclusive)
    std::string name;
};

// The ordered list of timed parts. Entries keep their registration order, may overlap, and are
// never checked: an entry with end <= start simply never becomes active.
class Timeline {
public:
    // The process-wide timeline that the application drives.
    static Timeline& global();

    void registerPart(const char* name, float start, float end, Ref<Part> part);

    // Gives the parts the rest of the loading screen's progress in equal steps, then loads them in
    // order; stops at the first failure.
    [[nodiscard]] bool loadAll(Ref<LoadingScreen>& loadingScreen);
    // Unloads every part (loaded or not), drops the references and empties the list.
    void unloadAll();

    // Takes the entries out (still loaded) and leaves the timeline empty, so that a reload can
    // make new parts beside them; `restore` puts them back in place of whatever is there.
    std::list<TimelineEntry> take() {
        std::list<TimelineEntry> taken;
        taken.swap(entries_);
        return taken;
    }
    void restore(std::list<TimelineEntry> entries) { entries_ = std::move(entries); }

    // Updates and renders every part whose [start, end) holds `time`, in registration order.
    // A negative time does nothing and answers true; otherwise answers whether any part ran.
    bool frame(Ref<Device>& device, float time, float step);

    size_t count() const { return entries_.size(); }
    const std::list<TimelineEntry>& entries() const { return entries_; }

private:
    std::list<TimelineEntry> entries_;
};
