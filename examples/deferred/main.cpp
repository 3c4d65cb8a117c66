// The deferred-rendering example: a scene file lit by one light of every kind, the sun sweeping
// over the sky with four cascaded shadows, spot and projective lights with shadow maps of their
// own, and the post chain. Its data tree sits beside the program.
#include "ExampleScene.h"

#include "app/DemoApplication.h"
#include "app/PlayerMain.h"
#include "demo/Timeline.h"

namespace {

class DeferredDemo : public DemoApplication {
public:
    DeferredDemo() {
        settings.title = "Vorndle deferred";
        settings.width = 1280;
        settings.height = 720;
        settings.alwaysOnTop = false;
        settings.contextVersion = 4;
        settings.anisotropy = 0;
    }

    bool createParts(Ref<LoadingScreen>&) override {
        // Eight bars of four beats: the sun rises, crosses and sets.
        Timeline::global().registerPart("deferred", 0, 32, makeRef<ExampleScene>());
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    return playerMain<DeferredDemo>(argc, argv);
}
