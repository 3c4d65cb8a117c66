#pragma once

#include <vector>

// Where authoring play stands and how it moves: pause, speed, a loop and the seeks the keys ask
// for. Pure bookkeeping in beats; the edit session turns its answers into seeks of the parts and
// the music.
class Transport {
public:
    static constexpr int kBeatsPerBar = 4;
    static constexpr double kSlowest = 0.25;
    static constexpr double kFastest = 2.0;

    // The timeline: the beats where parts start (any order, repeats allowed) and its end.
    void setTimeline(std::vector<double> partStarts, double end);
    double end() const { return end_; }
    // The last beat a seek may land on: one 60 fps frame before the end.
    double lastBeat(int bpm) const;
    // Clamps a seek target onto the timeline.
    double clampBeat(double beat, int bpm) const;

    // The seek a key asks for from `beat` (keys of KeyCodes.h, `shift` held), or a negative
    // number for none: Left/Right a beat (with Shift a bar), PageUp/PageDown a part, Home/End,
    // and the digits 1-9 the start of that part.
    double seekForKey(int key, bool shift, double beat, int bpm) const;

    // The start of the part before or after `beat` (the timeline's start or end past the first
    // or the last).
    double previousPart(double beat) const;
    double nextPart(double beat) const;

    bool paused = false;
    double speed = 1.0;
    // Doubles or halves the speed within [kSlowest, kFastest]; answers whether it changed.
    bool faster();
    bool slower();

    // Loop marks at the bar that holds `beat`: `[` its start, `]` its end.
    void markLoopIn(double beat);
    void markLoopOut(double beat);
    // Sets both marks; false (nothing changed) unless out lies after in.
    bool setLoop(double in, double out);
    // L: loops the marked range when it is a range; answers whether looping is now on.
    bool toggleLoop();
    bool looping() const { return looping_; }
    double loopIn() const { return loopIn_; }
    double loopOut() const { return loopOut_; }
    void stopLooping() { looping_ = false; }
    // Where play wraps to once it reaches `beat`, or a negative number when it does not.
    double wrapFor(double beat) const;

private:
    std::vector<double> starts_; // sorted, distinct
    double end_ = 0;
    double loopIn_ = 0, loopOut_ = 0;
    bool looping_ = false;
};
