// The post-processing example: a procedurally lit scene through the whole post-processing
// chain, switching effect combinations with every bar. Its data tree sits beside the program.
#include "PostPart.h"

#include "app/DemoApplication.h"
#include "app/PlayerMain.h"
#include "demo/Timeline.h"

namespace {

class PostDemo : public DemoApplication {
public:
    PostDemo() {
        settings.title = "Vorndle post";
        settings.width = 1280;
        settings.height = 720;
        settings.alwaysOnTop = false;
        settings.contextVersion = 4;
        settings.anisotropy = 0;
    }

    bool createParts(Ref<LoadingScreen>&) override {
        // Eight bars of four beats, one effect combination each.
        Timeline::global().registerPart("post", 0, 32, makeRef<PostPart>());
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    return playerMain<PostDemo>(argc, argv);
}
