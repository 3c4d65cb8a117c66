// The demo description loader over fuzzed XML. Files the description names resolve against the
// hello example's generated data tree (its song, shaders, images and mesh), so an input can reach
// every element kind with real files behind it. Needs a GL context, so an X display (xvfb-run).
#include "app/DemoApplication.h"
#include "app/Paths.h"
#include "app/SoundDevice.h"
#include "demo/DemoDescription.h"
#include "support/GlContext.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

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

struct Harness {
    FuzzDemo app;
    Ref<SoundDevice> sound;
    std::string xmlPath;

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
        char dir[] = "/tmp/vorndle-fuzz-XXXXXX";
        if (!mkdtemp(dir)) {
            std::perror("fuzz_demo_description: mkdtemp");
            std::exit(1);
        }
        xmlPath = std::string(dir) + "/demo.xml";
    }
    // Every run unloads what it loaded, so nothing is left for exit (the registries may already be
    // gone by then: they were made after this object).
    ~Harness() {
        std::remove(xmlPath.c_str());
        rmdir(xmlPath.substr(0, xmlPath.size() - 9).c_str());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness harness;
    {
        std::ofstream out(harness.xmlPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    FuzzDemo& app = harness.app;
    app.soundDevice = harness.sound;
    loadDemoDescription(harness.xmlPath, app);
    // What a failed or finished load leaves behind must unload cleanly.
    app.unload();
    app.songStart = app.songStop = 0;
    app.looping = false;
    return 0;
}
