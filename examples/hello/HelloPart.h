#pragma once

#include "demo/Part.h"

class Framebuffer;
class Mesh;
class Program;
class SamplerSet;
class VertexArrayObject;
class VertexBuffer;

// The example's one part: a textured, sky-lit ball spinning in a framebuffer, composited to the
// screen with a vignette, both pulsing on every beat.
class HelloPart : public Part {
public:
    HelloPart();
    ~HelloPart() override;

    bool load(Ref<LoadingScreen>& loadingScreen) override;
    void unload() override;
    void update(float time, float step) override;
    void render(Ref<Device>& device, float time, float step) override;

private:
    Ref<Program> scene_, composite_;
    Ref<Framebuffer> target_;
    Ref<Mesh> ball_;
    Ref<SamplerSet> sceneSamplers_, compositeSamplers_;
    Ref<VertexArrayObject> ballArray_, quadArray_;
    Ref<VertexBuffer> quad_;
    float angle_ = 0;
    float pulse_ = 0;
};
