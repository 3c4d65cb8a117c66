#pragma once

#include "../../examples/deferred/ExampleScene.h"
#include "render/Device.h"
#include "render/Framebuffer.h"

#include <cstdint>
#include <string>
#include <vector>

// The deferred example (examples/deferred) loaded in-process from its built data tree
// (build/examples/deferred/data): its demo description at a given size and its one part, whose
// post chain composes into an offscreen "example_output" target instead of the back buffer. The
// registries' earlier contents (other tests' resources) are set aside while the session is open
// and put back when it closes.
class ExampleSceneSession {
public:
    ExampleSceneSession();
    ~ExampleSceneSession();

    // False, with the reason, when the data tree is missing or does not load.
    bool open(int width, int height, std::string* error);
    void close();

    // Updates and renders the part at a beat; answers the composed picture (RGBA, top row first).
    std::vector<uint8_t> render(float beat);
    // The same without reading the picture back.
    void renderOnly(float beat, float step = 1.0f / 60.0f);

    static std::string dataRoot();

    Ref<Device> device;
    Ref<ExampleScene> part;
    Ref<Framebuffer> output;
    int width = 0, height = 0;

private:
    struct Saved;
    Saved* saved_ = nullptr;
};
