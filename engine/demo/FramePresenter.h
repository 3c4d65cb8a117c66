#pragma once

// What the loading screen needs from the application while loading: showing a drawn frame, and a
// clock and the display's refresh period to pace those frames by.
class FramePresenter {
public:
    virtual ~FramePresenter() = default;
    virtual void swapBuffers() = 0;
    // Seconds on the high-resolution monotonic counter.
    virtual double presentClock() const;
    // Returns when the clock reads `time` or later.
    virtual void waitUntil(double time);
    // Seconds between two refreshes of the display the frames go to.
    virtual double refreshPeriod() const { return 1.0 / 60.0; }
};
