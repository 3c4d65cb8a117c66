#pragma once

#include "core/Object.h"
#include "demo/FramePresenter.h"

class Device;
class Program;
class SamplerSet;
class VertexArrayObject;
class VertexBuffer;

// The picture with a progress bar shown while the demo loads; loaders advance `progress` by the
// step per item they load. Its picture and shaders are data files: "data/loading/loading.jpg",
// "loading.vs" and "loading.fs".
//
// The screen never holds the load back: asked to draw, it draws and presents only when its picture
// would change visibly (the fade by one 8-bit step, the bar by a pixel) and at most once per
// display refresh, so a load of many small items costs a few dozen frames, not one per item. Where
// a present takes longer than a refresh, it waits five times that long before the next, so the
// screen takes at most a fifth of the load's time.
// `finish` shows the last picture asked for, so the bar reaches its end when loading does.
class LoadingScreen : public Object {
public:
    LoadingScreen();
    ~LoadingScreen() override;

    // Creates the quad, the picture texture ("loadingScreen") and the program ("loading").
    [[nodiscard]] bool load();
    // Asks for a frame with the given fade and the current progress: drawn and presented (the
    // screen is not cleared first) unless the picture on screen looks the same or the display
    // has not refreshed since the last one. Without a presenter it always draws.
    void draw(Ref<Device>& device, float alpha);
    // Draws and presents the picture for `alpha` and the current progress unless it is on screen
    // already, waiting for the next refresh if the last frame was presented within this one.
    void finish(Ref<Device>& device, float alpha);
    // Releases the resources and removes the registry entries.
    void unload();

    void setStep(float step) { step_ = step; }
    float getStep() const { return step_; }
    // Draws with alpha 1 and then adds the step: the frame shows progress before the item counts.
    void advance();

    float progress = 0;
    Ref<Device> device;
    FramePresenter* application = nullptr; // not counted: the application owns the screen

    // Frames asked for since load, and of them the frames presented; for tests and diagnostics.
    int drawCount() const { return drawCount_; }
    int presentCount() const { return presentCount_; }

private:
    Ref<Program> program_;
    Ref<SamplerSet> samplerSet_;
    Ref<VertexBuffer> vertexBuffer_;
    Ref<VertexArrayObject> vertexArray_;
    // What the picture looks like at the output's precision: the fade in 8-bit steps, the bar's
    // end in pixels of the viewport width (the bar is never wider).
    struct Look {
        int fade = -1;
        int bar = -1;
        bool operator==(const Look& o) const { return fade == o.fade && bar == o.bar; }
    };
    Look lookOf(float alpha) const;
    void present(Ref<Device>& device, float alpha, const Look& look, double now);

    float step_ = 0;
    int drawCount_ = 0;
    int presentCount_ = 0;
    int viewportWidth_ = 0;
    Look shown_;
    double shownAt_ = 0;
    double nextAt_ = 0;
    static constexpr double kTimePerPresentCost = 5.0;
};
