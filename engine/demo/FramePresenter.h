#pragma once

// What the loading screen needs from the application while loading: showing a drawn frame.
class FramePresenter {
public:
    virtual ~FramePresenter() = default;
    virtual void swapBuffers() = 0;
};
