// The demo description loader over fuzzed XML. Files the description names resolve against the
// hello example's generated data tree (its song, shaders, images and mesh), so an input can reach
// every element kind with real files behind it. Needs a GL context, so an X display (xvfb-run).
#include "TempInputFile.h"
#include "app/DemoApplication.h"
#include "app/DemoDescription.h"
#include "app/SoundDevice.h"
#include "core/Paths.h"
#include "support/GlContext.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class FuzzDemo : public DemoApplication {
public:
    FuzzDemo() {
        settings.width = 1280;
        settings.height = 720;
        options.noSound = true;
        options.noMessageBox = true;
    }
    bool createParts(Ref<LoadingScreen>&) override { return true; }
};

// Made on the first run. It unloads nothing at exit: every run unloads what it loaded, and the
// registries, made after it, are already gone by then.
struct Harness {
    FuzzDemo app;
    Ref<SoundDevice> sound;
    TempInputFile xml;

    Harness() {
        if (!GlContext::ensure()) {
            std::fprintf(stderr, "fuzz_demo_description: %s\n", GlContext::error().c_str());
            std::exit(1);
        }
        setDemoRoot(VORNDLE_EXAMPLE_ROOT);
        sound = makeRef<SoundDevice>();
        if (!sound->initialize(true)) {
            std::fprintf(stderr, "fuzz_demo_description: no sound device\n");
            std::exit(1);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness harness;
    FuzzDemo& app = harness.app;
    app.soundDevice = harness.sound;
    // A refused description is as good an outcome as a loaded one; only how it ends matters here.
    static_cast<void>(loadDemoDescription(harness.xml.write(data, size), app));
    // What a failed or finished load leaves behind must unload cleanly.
    app.unload();
    app.songStart = app.songStop = 0;
    app.looping = false;
    return 0;
}
