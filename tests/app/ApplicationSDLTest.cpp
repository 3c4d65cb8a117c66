#include "app/ApplicationAdapter.h"
#include "app/KeyCodes.h"

#include <GL/glew.h>
#include <SDL.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

// Records what the platform layer calls and lets a test script events per frame.
class ScriptedApp : public ApplicationAdapter {
public:
    ScriptedApp() {
        settings.width = 320;
        settings.height = 180;
        settings.alwaysOnTop = false;
        options.noMessageBox = true;
    }
    bool setup() override { return setupResult; }
    bool load() override {
        ++loads;
        glVersion = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        return loadResult;
    }
    void unload() override { ++unloads; }
    void frame() override {
        if (script)
            script(*this, frames);
        ++frames;
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        swapBuffers();
        if (frames > 1000)
            requestQuit(); // a runaway test must still end
    }
    void onMouseMove(int x, int y) override {
        log += "move(" + std::to_string(x) + "," + std::to_string(y) + ")";
    }
    void onMouseDown(int, int, int b) override { log += "down" + std::to_string(b); }
    void onMouseUp(int, int, int b) override { log += "up" + std::to_string(b); }
    void onKeyDown(int key, int flags) override {
        log += "kd" + std::to_string(key) + "/" + std::to_string(flags);
    }
    void onKeyUp(int key, int) override {
        log += "ku" + std::to_string(key);
        if (key == keys::Escape)
            requestQuit();
    }
    void onFocusGained() override { log += "focus+"; }
    void onFocusLost() override { log += "focus-"; }
    void onResize(int w, int h) override { log += "size" + std::to_string(w) + "x" + std::to_string(h); }

    void push(const SDL_Event& e) { SDL_PushEvent(const_cast<SDL_Event*>(&e)); }
    SDL_Event key(Uint32 type, SDL_Keycode sym) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(windowHandle()));
        e.key.keysym.sym = sym;
        return e;
    }

    bool setupResult = true, loadResult = true;
    int loads = 0, unloads = 0, frames = 0;
    std::string log, glVersion;
    std::function<void(ScriptedApp&, int)> script;
};

TEST(ApplicationSDLTest, FramesOptionEndsTheLoopAndShutdownUnloads) {
    ScriptedApp app;
    app.options.frames = 5;
    EXPECT_TRUE(app.run());
    EXPECT_EQ(app.frames, 5);
    EXPECT_EQ(app.loads, 1);
    EXPECT_EQ(app.unloads, 1);
    EXPECT_EQ(app.glVersion.substr(0, 1), "4") << app.glVersion;
    EXPECT_NE(app.log.find("size320x180"), std::string::npos) << "onResize reports the client size";
    EXPECT_EQ(app.windowHandle(), nullptr) << "the window is gone after run";
}

TEST(ApplicationSDLTest, EscapeEndsTheDemoOnlyWhenReleased) {
    ScriptedApp app;
    app.script = [](ScriptedApp& a, int frame) {
        if (frame == 1)
            a.push(a.key(SDL_KEYDOWN, SDLK_ESCAPE));
        if (frame == 10)
            a.push(a.key(SDL_KEYUP, SDLK_ESCAPE));
    };
    EXPECT_TRUE(app.run());
    EXPECT_GE(app.frames, 11) << "a key-down alone must not end the demo";
    EXPECT_LT(app.frames, 30);
    EXPECT_NE(app.log.find("kd27/1"), std::string::npos);
    EXPECT_NE(app.log.find("ku27"), std::string::npos);
}

TEST(ApplicationSDLTest, WindowCloseEndsTheDemo) {
    ScriptedApp app;
    app.script = [](ScriptedApp& a, int frame) {
        if (frame == 3) {
            SDL_Event e{};
            e.type = SDL_WINDOWEVENT;
            e.window.event = SDL_WINDOWEVENT_CLOSE;
            e.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(a.windowHandle()));
            a.push(e);
        }
    };
    EXPECT_TRUE(app.run());
    EXPECT_LT(app.frames, 30);
    EXPECT_EQ(app.unloads, 1);
}

TEST(ApplicationSDLTest, EventsMapOntoTheApplicationOperations) {
    ScriptedApp app;
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 10;
    e.motion.y = -3;
    app.dispatchEvent(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    app.dispatchEvent(e);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_MIDDLE;
    app.dispatchEvent(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = 1;
    app.dispatchEvent(e);
    e.wheel.y = -2;
    app.dispatchEvent(e);
    e = SDL_Event{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    app.dispatchEvent(e);
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    app.dispatchEvent(e);
    e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    e.window.data1 = 640;
    e.window.data2 = 360;
    app.dispatchEvent(e);
    EXPECT_EQ(app.log, "move(10,-3)down2up3down5down4focus+focus-size640x360")
        << "wheel towards the screen is button 5, away is 4";
}

TEST(ApplicationSDLTest, FailedLoadReportsUnloadsAndEnds) {
    ScriptedApp app;
    app.loadResult = false;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(app.run());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Failed to load demo"), std::string::npos) << err;
    EXPECT_EQ(app.unloads, 1);
    EXPECT_EQ(app.frames, 0);
    EXPECT_EQ(app.windowHandle(), nullptr);
}

TEST(ApplicationSDLTest, CancelledSetupCreatesNothing) {
    ScriptedApp app;
    app.setupResult = false;
    EXPECT_FALSE(app.run());
    EXPECT_EQ(app.loads, 0);
    EXPECT_EQ(app.unloads, 0);
}

} // namespace
