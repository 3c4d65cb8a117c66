#pragma once

#include <cstdint>

// The frames of an offline render: frame k = 0, 1, ... shows song time t0 + k / fps for every time
// before t1 (t0, t1 the times of the first and the end beat), so a render has exactly
// ceil((t1 - t0) * fps) frames whatever the machine's speed. Times follow the song's tempo.
class FrameSchedule {
public:
    FrameSchedule(double fromBeat, double toBeat, int fps, int bpm);

    long frameCount() const { return frameCount_; }
    int fps() const { return fps_; }
    double fromBeat() const { return fromBeat_; }
    double startSeconds() const { return fromBeat_ * 60.0 / bpm_; }
    // Song time and beat of frame k: B0 + k * bpm / (60 * fps), computed in one step so that a
    // frame's beat does not drift with k.
    double seconds(long k) const;
    float beat(long k) const;
    // The simulation step of frame k: what live play's whole-sixtieth steps with their carry come
    // to when frames are exactly 1 / fps apart (the first frame follows no earlier one), counted in
    // integers so that no rounding of the carry moves a step from one frame to the next.
    float step(long k) const;
    // The sixtieths simulated up to and including frame k: floor(k * 60 / fps) + 1, or k + 1 at
    // rates above 60, where every frame takes its one step however short it is.
    long ticksThrough(long k) const;
    // The sound that goes with all the frames: it starts at t0 and lasts frameCount / fps, in
    // sample frames at `rate`.
    int64_t firstSample(int rate) const;
    int64_t sampleCount(int rate) const;

private:
    double fromBeat_;
    int fps_;
    int bpm_;
    long frameCount_;
};
