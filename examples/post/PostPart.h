#pragma once

#include "demo/Part.h"
#include "math/Mat4.h"

class BlitEngine;
class Framebuffer;
class Program;
class VertexArrayObject;
class VertexBuffer;

// The example's one part: a procedurally lit scene ray-cast into the G-buffer, then the whole
// post-processing chain; every bar switches to the next combination of effects.
class PostPart : public Part {
public:
    PostPart();
    ~PostPart() override;

    bool load(Ref<LoadingScreen>& loadingScreen) override;
    void unload() override;
    void update(float time, float step) override;
    void render(Ref<Device>& device, float time, float step) override;

    // Switches the chain to combination `index` (any integer; they repeat).
    static void applyCombination(BlitEngine& blit, int index);

private:
    Ref<Program> scene_;
    Ref<Framebuffer> gbuffer_;
    Ref<VertexBuffer> quad_;
    Ref<VertexArrayObject> quadArray_;
    Ref<BlitEngine> blit_;
    Mat4 previousView_;
    bool havePrevious_ = false;
    float time_ = 0;
    int inverseViewProjection_ = -1, viewProjection_ = -1, view_ = -1;
};
