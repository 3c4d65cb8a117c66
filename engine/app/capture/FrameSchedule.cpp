#include "app/capture/FrameSchedule.h"

#include <algorithm>
#include <cmath>

FrameSchedule::FrameSchedule(double fromBeat, double toBeat, int fps, int bpm)
    : fromBeat_(fromBeat), fps_(fps > 0 ? fps : 1), bpm_(bpm > 0 ? bpm : 60), frameCount_(0) {
    // Frame k belongs to the render while t0 + k / fps < t1, i.e. k < (B1 - B0) * 60 * fps / bpm.
    // A product that should be whole may come out a rounding error above it, which must not add a
    // frame.
    const double frames = (toBeat - fromBeat) * 60.0 * fps_ / bpm_;
    if (frames > 0 && std::isfinite(frames))
        frameCount_ = static_cast<long>(std::ceil(frames - 1e-9 * std::fmax(1.0, frames)));
}

double FrameSchedule::seconds(long k) const {
    return startSeconds() + static_cast<double>(k) / fps_;
}

float FrameSchedule::beat(long k) const {
    return static_cast<float>(fromBeat_ + static_cast<double>(k) * bpm_ / (60.0 * fps_));
}

long FrameSchedule::ticksThrough(long k) const {
    return std::max(k, k * 60 / fps_) + 1;
}

float FrameSchedule::step(long k) const {
    constexpr float sixtieth = 0.016666668f; // as simulationStep hands it out
    const long ticks = ticksThrough(k) - (k > 0 ? ticksThrough(k - 1) : 0);
    return static_cast<float>(ticks) * sixtieth;
}

int64_t FrameSchedule::firstSample(int rate) const {
    return std::llround(startSeconds() * rate);
}

int64_t FrameSchedule::sampleCount(int rate) const {
    return std::llround(static_cast<double>(frameCount_) * rate / fps_);
}
