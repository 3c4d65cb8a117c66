// The scene loader over fuzzed XML. Names resolve against the hello example's generated data tree
// (its programs, textures and mesh), plus a "deferred/atmoslight" program with the atmosphere
// block, so an input can reach every element kind with real objects behind it. Needs a GL
// context, so an X display (xvfb-run).
#include "TempInputFile.h"
#include "app/DemoApplication.h"
#include "app/DemoDescription.h"
#include "app/SoundDevice.h"
#include "assets/Mesh.h"
#include "core/Paths.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "scene/Scene.h"
#include "scenefile/SceneLoaderXML.h"
#include "support/GlContext.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

constexpr const char* kVertex = R"(#version 430 core
in vec3 POSITION;
void main() { gl_Position = vec4(POSITION, 1.0); }
)";
constexpr const char* kFragment = R"(#version 430 core
layout(std140) uniform AtmosphereModel { vec4 sunColour; vec4 sunDirection; };
out vec4 color;
void main() { color = sunColour + sunDirection; }
)";

// Made on the first run; the demo stays loaded for every input.
struct Harness {
    FuzzDemo app;
    TempInputFile xml;
    Ref<SceneLoaderXML> loader = makeRef<SceneLoaderXML>();
    std::vector<std::string> meshes;

    Harness() {
        if (!GlContext::ensure()) {
            std::fprintf(stderr, "fuzz_scene_file: %s\n", GlContext::error().c_str());
            std::exit(1);
        }
        setDemoRoot(VORNDLE_EXAMPLE_ROOT);
        app.soundDevice = makeRef<SoundDevice>();
        if (!app.soundDevice->initialize(true) || !loadDemoDescription("data/demo.xml", app)) {
            std::fprintf(stderr, "fuzz_scene_file: the example's demo description does not load\n");
            std::exit(1);
        }
        Ref<Program> sky = makeRef<Program>("deferred/atmoslight");
        sky->setStage(0, makeRef<Shader>("atmoslight.vert", kVertex, kVertex, 0));
        sky->setStage(1, makeRef<Shader>("atmoslight.frag", kFragment, kFragment, 1));
        if (!sky->link(nullptr, 0, 0) || !programRegistry().insert("deferred/atmoslight", sky)) {
            std::fprintf(stderr, "fuzz_scene_file: the atmosphere program does not link\n");
            std::exit(1);
        }
        meshes = meshRegistry().names();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness harness;
    Ref<Scene> scene = harness.loader->load(harness.xml.write(data, size));
    if (scene) {
        scene->update(1.0f);
        Ref<Node> root(scene->root());
        scene->setRoot(nullptr);
        Node::releaseSubtree(root);
    }
    // Extruded shapes register models; forget them so that every input starts alike.
    for (const std::string& name : meshRegistry().names())
        if (std::find(harness.meshes.begin(), harness.meshes.end(), name) == harness.meshes.end())
            meshRegistry().remove(name);
    return 0;
}
