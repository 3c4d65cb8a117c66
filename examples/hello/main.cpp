// The hello example: a complete small demo on the engine. Its data tree sits beside the program.
#include "HelloPart.h"

#include "app/DemoApplication.h"
#include "app/PlayerMain.h"
#include "demo/Timeline.h"

namespace {

class HelloDemo : public DemoApplication {
public:
    HelloDemo() {
        settings.title = "Vorndle hello";
        settings.width = 1280;
        settings.height = 720;
        settings.alwaysOnTop = false;
        settings.contextVersion = 4;
        // Anisotropic filtering stays off: Mesa's software rasteriser samples it very slowly, and the
        // example must run smoothly there too. A production on real GPUs would ask for 16.
        settings.anisotropy = 0;
    }

    bool createParts(Ref<LoadingScreen>&) override {
        // The song is 16 beats long: the part plays all of it, then the demo ends.
        Timeline::global().registerPart("hello", 0, 16, makeRef<HelloPart>());
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    return playerMain<HelloDemo>(argc, argv);
}
