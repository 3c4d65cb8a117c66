#pragma once

#include "app/ApplicationSettings.h"
#include "app/LaunchOptions.h"
#include "demo/FramePresenter.h"

// Root of the application classes: the program's one instance, owned by the entry point (not an
// Object). Operations keep the slot order of the original design.
class Application : public FramePresenter {
public:
    ~Application() override = default;

    [[nodiscard]] virtual bool run() = 0;
    [[nodiscard]] virtual bool initialize() = 0;
    virtual void shutdown() = 0;
    // Handles at most one window event; false when the main loop must end.
    virtual bool pumpMessages() = 0;
    void swapBuffers() override = 0;
    virtual void requestQuit() = 0;
    virtual void* windowHandle() = 0;
    // Fills the settings (the production may show its dialog); false cancels the program.
    virtual bool setup() = 0;
    [[nodiscard]] virtual bool load() = 0;
    virtual void unload() = 0;
    virtual void frame() = 0;
    virtual void onMouseMove(int x, int y) = 0;
    virtual void onMouseDown(int x, int y, int button) = 0;
    virtual void onMouseUp(int x, int y, int button) = 0;
    virtual void onKeyDown(int key, int flags) = 0;
    virtual void onKeyUp(int key, int flags) = 0;
    virtual void onFocusGained() = 0;
    virtual void onFocusLost() = 0;
    virtual void onResize(int width, int height) = 0;

    ApplicationSettings settings;
    // The command line this run was started with (all defaults when there was none).
    LaunchOptions options;
    // The program's exit status: 0 unless something the command line asked for (a capture, a
    // start beat) failed.
    int exitStatus = 0;
};
