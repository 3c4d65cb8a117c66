#pragma once

#include "app/Application.h"

#include <cstdint>
#include <memory>

union SDL_Event;
struct SDL_Window;

// The window, GL context and event pump on SDL2: a borderless window (or full screen) with a
// core-profile context, and the mapping of SDL events onto the application's operations.
class ApplicationSDL : public Application {
public:
    ApplicationSDL();
    ~ApplicationSDL() override;

    [[nodiscard]] bool run() override;
    [[nodiscard]] bool initialize() override;
    void shutdown() override;
    bool pumpMessages() override;
    void swapBuffers() override;
    void requestQuit() override;
    void* windowHandle() override { return window_; }
    // The display's refresh period (1/60 s where the display does not say), read with the window.
    double refreshPeriod() const override { return refreshPeriod_; }
    // Sets how many display refreshes a swap waits for (0: none). Best effort: some servers
    // (Xvfb) offer no swap control, and swaps are then unthrottled.
    virtual void setSwapInterval(int interval);

    // Shows one of the program's three messages: on standard error always, and in a message box
    // with the caption "Drevanth" unless the command line asked for none.
    void showMessage(const char* text);

    // Turns one SDL event into calls of the application's operations (the window procedure).
    void dispatchEvent(const SDL_Event& event);

    // Frames run by the main loop so far.
    long frameCount() const { return frameCount_; }

protected:
    // Steps before loading: the window, the context, extension loading and the GL set-up.
    [[nodiscard]] bool createWindowAndContext();
    [[nodiscard]] bool createWindow();
    [[nodiscard]] bool createContext();
    void destroyContext();
    void destroyWindow();
    // True when the context supports the version `contextVersion` selects.
    static bool checkContextVersion(int versionIndex);

private:
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    std::unique_ptr<uint8_t[]> keyState_;
    bool videoInitialized_ = false;
    long frameCount_ = 0;
    double refreshPeriod_ = 1.0 / 60.0;
};

// Pins the calling thread to the first processor and raises its priority, each best effort.
void pinApplicationThread();
