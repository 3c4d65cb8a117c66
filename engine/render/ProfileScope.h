#pragma once

#include "render/Device.h"
#include "render/FrameProfiler.h"

// One named pass of a frame for the device's profiler, from construction to end() or destruction.
// Without a profiler it does nothing at all: no GL call, no clock read.
class ProfileScope {
public:
    ProfileScope(Device& device, const char* name, bool statistics = true) : profiler_(device.profiler()) {
        if (profiler_)
            record_ = profiler_->open(name, statistics);
    }
    ~ProfileScope() { end(); }
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;

    void end() {
        if (profiler_)
            profiler_->close(record_);
        profiler_ = nullptr;
    }
    // Ends this pass and starts the next one in its place.
    void next(Device& device, const char* name) {
        end();
        profiler_ = device.profiler();
        if (profiler_)
            record_ = profiler_->open(name);
    }

private:
    FrameProfiler* profiler_;
    int record_ = -1;
};
