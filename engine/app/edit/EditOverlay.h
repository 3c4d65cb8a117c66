#pragma once

#include "app/capture/LabelFont.h"
#include "app/edit/ColourTarget.h"
#include "core/Object.h"

#include <cstdint>
#include <string>
#include <vector>

class Device;

// The authoring overlay (F1): a panel in the top left corner with where play stands, the frame
// rate and a graph of the last frames' times, the transport's state, the last reload and, while a
// reload is failing, its error. Drawn on the CPU with the label font and copied onto the frame,
// after any still has been taken from it.
class EditOverlay {
public:
    static constexpr int kGraphFrames = 180;
    static constexpr int kMaxPasses = 8;

    struct Lines {
        std::string position;  // beat, bar, song time
        std::string parts;     // the parts playing
        std::string transport; // frame rate, pause, speed, loop
        std::string reload;    // the last reload
        std::string error;     // the failing reload's first line, or empty
        // With --profile: the last measured frame's costliest passes and their milliseconds,
        // costliest first, and the frame's whole time.
        struct Pass {
            std::string name;
            double ms = 0;
        };
        std::vector<Pass> passes;
        size_t passCount = 0;
        double frameMs = 0;
    };

    EditOverlay();
    ~EditOverlay();

    // Records a frame's duration for the rate and the graph (every frame, shown or not).
    void recordFrame(double seconds);
    double framesPerSecond() const;

    // Draws the panel onto the bound back buffer of `width` x `height`. The first call loads the
    // font; without it the overlay says so once and stays off.
    void draw(Device& device, int width, int height, const Lines& lines);

private:
    void paint(const Lines& lines);

    LabelFont font_;
    bool fontTried_ = false, fontLoaded_ = false;
    double frames_[kGraphFrames] = {};
    int next_ = 0, count_ = 0;
    int width_ = 0, height_ = 0;
    std::vector<uint8_t> picture_; // RGB, top row first
    ColourTarget panel_;
};
