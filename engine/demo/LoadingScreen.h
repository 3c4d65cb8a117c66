#pragma once

#include "core/Object.h"
#include "demo/FramePresenter.h"

class Device;
class Program;
class SamplerSet;
class VertexArrayObject;
class VertexBuffer;

// The picture with a progress bar shown while the demo loads. It draws and presents one frame
// whenever asked; loaders advance `progress` by the step per item they load. Its picture and
// shaders are data files: "data/loading/loading.jpg", "loading.vs" and "loading.fs".
class LoadingScreen : public Object {
public:
    LoadingScreen();
    ~LoadingScreen() override;

    // Creates the quad, the picture texture ("loadingScreen") and the program ("loading").
    bool load();
    // Draws one frame with the given fade and presents it. The screen is not cleared first.
    void draw(Ref<Device>& device, float alpha);
    // Releases the resources and removes the registry entries.
    void unload();

    void setStep(float step) { step_ = step; }
    float getStep() const { return step_; }
    // Draws with alpha 1 and then adds the step: the frame shows progress before the item counts.
    void advance();

    float progress = 0;
    Ref<Device> device;
    FramePresenter* application = nullptr; // not counted: the application owns the screen

    // Number of frames drawn since load, for tests and diagnostics.
    int drawCount() const { return drawCount_; }

private:
    Ref<Program> program_;
    Ref<SamplerSet> samplerSet_;
    Ref<VertexBuffer> vertexBuffer_;
    Ref<VertexArrayObject> vertexArray_;
    float step_ = 0;
    int drawCount_ = 0;
};
