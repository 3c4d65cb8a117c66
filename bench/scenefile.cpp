// Scene-file loading without GL uploads: a generated file of 5,000 node elements (groups with
// static and animated transforms, lights with intensity envelopes, cameras, materials with draw
// states, enable envelopes, shadow masks and follow entries), parsed and built into a Scene.
#include "core/Object.h"
#include "scene/Node.h"
#include "scene/Scene.h"
#include "scenefile/SceneLoaderXML.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

constexpr int kNodeElements = 5000;

std::string envelope(float a, float b) {
    return "<envelope><key value=\"" + std::to_string(a) + "\" time=\"0\" type=\"3\"/><key value=\"" +
           std::to_string(b) + "\" time=\"16\" type=\"3\"/></envelope>";
}

// 5,000 node elements in blocks of ten under 500 groups; answers the total element count.
std::string generatedScene(int& elements) {
    std::string s = "<scene>\n<shadowcasters><shadowmask name=\"sun\" value=\"1\"/><shadowmask name=\"lamp\" "
                    "value=\"2\"/></shadowcasters>\n";
    elements = 4;
    for (int block = 0; block < kNodeElements / 10; ++block) {
        const std::string id = std::to_string(block);
        s += "<group name=\"g" + id + "\" shadowcastermask=\"sun lamp\"><transform><position x=\"" + id +
             "\" y=\"0\" z=\"1\"/><rotation h=\"0.5\" p=\"0\" b=\"0\"/></transform>\n";
        s += " <group name=\"spin" + id + "\"><transform><rotation><h>" + envelope(0, 6.28f) + "</h><p>" +
             envelope(0, 1) + "</p><b>" + envelope(0, 0) + "</b></rotation></transform></group>\n";
        s += " <pointlight name=\"p" + id + "\" radius=\"4\" color.r=\"0.5\"><intensity>" + envelope(0, 1) +
             "</intensity></pointlight>\n";
        s += " <spotlight coneangle=\"0.6\" edgeangle=\"0.1\"/>\n <directionallight/>\n";
        s += " <camera name=\"c" + id + "\" fov=\"50\"><transform><position><x>" + envelope(0, 1) +
             "</x><y>" + envelope(0, 2) + "</y><z>" + envelope(0, 3) +
             "</z></position></transform></camera>\n";
        s += " <material><drawstate><blend><source rgb=\"one\"/><dest "
             "rgb=\"one\"/></blend><depthstencil><depth "
             "write=\"no\"/></depthstencil><rasterizer><culling enable=\"no\"/></rasterizer></drawstate>\n";
        s += "  <group><enable>" + envelope(0, 1) + "</enable></group>\n";
        s += "  <group><transform><follow name=\"c" + id + "\"/></transform></group>\n </material>\n";
        s += " <arealight/>\n</group>\n";
        // Per block: 10 node elements and 42 others (transforms, their children, envelopes, keys,
        // the material's states).
        elements += 10 + 42;
    }
    s += "</scene>\n";
    return s;
}

void BM_LoadGeneratedScene(benchmark::State& state) {
    TempDir dir;
    const std::string path = dir.path() + "/generated.xml";
    int elements = 0;
    const std::string text = generatedScene(elements);
    std::ofstream(path) << text;
    Ref<SceneLoaderXML> loader = makeRef<SceneLoaderXML>();
    int nodes = 0;
    for (auto _ : state) {
        Ref<Scene> scene = loader->load(path);
        if (!scene) {
            state.SkipWithError("the generated scene does not load");
            return;
        }
        state.PauseTiming();
        nodes = scene->nodeCount();
        Ref<Node> root(scene->root());
        scene->setRoot(nullptr);
        Node::releaseSubtree(root);
        scene = nullptr;
        state.ResumeTiming();
    }
    state.counters["nodeElements"] = kNodeElements;
    state.counters["xmlElements"] = elements;
    state.counters["nodes"] = nodes;
    state.counters["bytes"] = double(text.size());
}
BENCHMARK(BM_LoadGeneratedScene)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(false);

} // namespace
