// The production's own scenes, loaded from the built data tree the way the program loads them: the
// named nodes the scene template looks for, and the cameras over each part's beats.
#include "HeadlessVorndle.h"
#include "Vorndle.h"
#include "VorndleSceneTemplate.h"

#include "core/Paths.h"
#include "demo/Timeline.h"
#include "scene/Camera.h"
#include "scene/Envelope.h"
#include "scene/Scene.h"
#include "support/GlContext.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

// Stands for the part's cameras in the table: at least that many distinct cameras chosen by the
// state file's camera envelope over the part's beats.
constexpr const char* kCameras = "cameras";

// What each part of the finished film holds, as the scene template finds it. `node` is a name the
// template looks for (or any other node name, counted by name), `atLeast` how many must be found.
struct Expected {
    const char* part;
    const char* node;
    int atLeast;
};
const Expected kExpected[] = {
    {"intro", "atmospherical light", 1},
    {"intro", kCameras, 4},
    {"intro", "particlesystem", 1},
    {"intro", "postlighting", 1},
    {"intro", "decals", 1},
    {"intro", "woods", 1},
    {"windmill", "atmospherical light", 1},
    {"windmill", kCameras, 5},
    {"windmill", "particlesystem", 1},
    {"windmill", "postlighting", 1},
    {"windmill", "decals", 1},
    {"windmill", "sails", 1},
    {"outro", "atmospherical light", 1},
    {"outro", kCameras, 2},
    {"outro", "particlesystem", 1},
    {"outro", "postlighting", 1},
    {"outro", "decals", 1},
    {"outro", "EmissionSphere", 1},
    {"outro", "moon", 1},
};

void PrintTo(const Expected& e, std::ostream* out) {
    *out << e.part << " \"" << e.node << "\" x" << e.atLeast;
}

// Beats between the samples of a part's envelopes: a quarter beat is finer than any cut.
constexpr float kBeatStep = 0.25f;

// The whole production loaded once per suite from build/data (nothing is changed, so no copy).
class LoadedProduction : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!GlContext::ensure())
            return;
        setDemoRoot(VORNDLE_BINARY_DIR);
        app_ = std::make_unique<HeadlessVorndle>();
        loaded_ = app_->load();
    }
    static void TearDownTestSuite() {
        if (app_)
            app_->unload();
        app_.reset();
        loaded_ = false;
        setDemoRoot("");
    }
    void SetUp() override {
        ASSERT_TRUE(GlContext::ensure()) << GlContext::error();
        ASSERT_TRUE(loaded_) << "the production does not load from " VORNDLE_BINARY_DIR "/data";
    }

    static VorndleSceneTemplate* part(const std::string& name) {
        for (const TimelineEntry& entry : Timeline::global().entries())
            if (entry.name == name)
                return static_cast<VorndleSceneTemplate*>(entry.part.get());
        return nullptr;
    }
    static const Vorndle::PartEntry* beats(const std::string& name) {
        for (const Vorndle::PartEntry& entry : Vorndle::kParts)
            if (name == entry.name)
                return &entry;
        return nullptr;
    }
    // Every sampled beat of a part, its end excluded.
    static std::vector<float> sampledBeats(const Vorndle::PartEntry& entry) {
        std::vector<float> out;
        for (int i = 0; entry.start + float(i) * kBeatStep < entry.end; ++i)
            out.push_back(entry.start + float(i) * kBeatStep);
        return out;
    }

    static std::unique_ptr<HeadlessVorndle> app_;
    static bool loaded_;
};

std::unique_ptr<HeadlessVorndle> LoadedProduction::app_;
bool LoadedProduction::loaded_ = false;

class ProductionNodes : public LoadedProduction, public ::testing::WithParamInterface<Expected> {
protected:
    // How many of `node` the template found in the part; `what` says what was counted.
    static int found(const VorndleSceneTemplate& p, const Vorndle::PartEntry& entry, const std::string& node,
                     std::string& what) {
        if (node == kCameras) {
            std::set<int> chosen;
            for (float beat : sampledBeats(entry)) {
                const float selection = p.cameraSelection ? p.cameraSelection->evaluate(beat) : 0.0f;
                chosen.insert(VorndleSceneTemplate::cameraIndex(selection, int(p.cameras.size())));
            }
            what = std::to_string(p.cameras.size()) + " cameras in the scene, " +
                   std::to_string(chosen.size()) + " chosen by the camera envelope";
            return int(chosen.size());
        }
        if (node == "atmospherical light") {
            what = "an atmospherical light of that name (kind and name both count)";
            return p.sunLight ? 1 : 0;
        }
        if (node == "decals") {
            // Decal nodes wait switched off for their own pass, which runs when the part found one
            // enabled in its scene file.
            what = std::to_string(p.decalNodes.size()) + " decal nodes, the decal pass " +
                   (p.decals ? "on" : "off");
            return p.decals ? int(p.decalNodes.size()) : 0;
        }
        if (node == "particlesystem" || node == "postlighting") {
            const size_t n = node == "particlesystem" ? p.additiveNodes.size() : p.alphaNodes.size();
            what = std::to_string(n) + " groups drawn after the lights";
            return int(n);
        }
        if (node == "EmissionSphere" || node == "moon") {
            what = "the template's " + node + " node";
            return (node == "moon" ? p.moonNode : p.emissionSphereNode) ? 1 : 0;
        }
        std::vector<Ref<Node>> named;
        if (p.scene())
            p.scene()->collectByName(node, named);
        what = std::to_string(named.size()) + " nodes of that name";
        return int(named.size());
    }
};

class ProductionCameras : public LoadedProduction,
                          public ::testing::WithParamInterface<Vorndle::PartEntry> {};

bool finite(const Mat4& m) {
    for (float v : m.m)
        if (!std::isfinite(v))
            return false;
    return true;
}

std::string caseName(const ::testing::TestParamInfo<Expected>& info) {
    std::string name = std::string(info.param.part) + "_" + info.param.node;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

} // namespace

// For the cases' names in failure reports (found by argument-dependent lookup, so beside the type).
void PrintTo(const Vorndle::PartEntry& entry, std::ostream* out) {
    *out << entry.name;
}

TEST_P(ProductionNodes, TheTemplateFindsTheNode) {
    const Expected& e = GetParam();
    const VorndleSceneTemplate* p = part(e.part);
    const Vorndle::PartEntry* entry = beats(e.part);
    ASSERT_TRUE(p && entry) << e.part << " is not a part of the production";
    std::string what;
    const int count = found(*p, *entry, e.node, what);
    EXPECT_GE(count, e.atLeast) << e.part << ", \"" << e.node << "\": " << what;
}

INSTANTIATE_TEST_SUITE_P(Film, ProductionNodes, ::testing::ValuesIn(kExpected), caseName);

// Every camera's animated transform gives a usable view and projection at every sampled beat of
// its part: a NaN or a degenerate frustum in an envelope shows as a black or garbage frame.
TEST_P(ProductionCameras, EveryCameraIsFiniteOverThePart) {
    const Vorndle::PartEntry& entry = GetParam();
    VorndleSceneTemplate* p = part(entry.name);
    ASSERT_TRUE(p && p->scene());
    ASSERT_FALSE(p->cameras.empty());
    std::vector<std::string> broken(p->cameras.size());
    for (float beat : sampledBeats(entry)) {
        p->scene()->update(beat);
        for (size_t i = 0; i < p->cameras.size(); ++i) {
            Camera& camera = static_cast<Camera&>(*p->cameras[i]);
            if (!broken[i].empty())
                continue;
            if (!finite(camera.transform.world) || !finite(camera.view))
                broken[i] = "a transform that is not finite at beat " + std::to_string(beat);
            else if (!camera.updateProjection(p->aspect) || !finite(camera.projection))
                broken[i] = "no projection at beat " + std::to_string(beat);
        }
    }
    for (size_t i = 0; i < broken.size(); ++i)
        EXPECT_TRUE(broken[i].empty())
            << entry.name << ", camera \"" << p->cameras[i]->name << "\": " << broken[i];
}

// The camera envelope names a camera of the scene at every sampled beat; the template would clamp
// an index past the last camera silently, so a cut to a camera the scene lost shows the wrong view.
TEST_P(ProductionCameras, TheCameraEnvelopeNamesAnExistingCamera) {
    const Vorndle::PartEntry& entry = GetParam();
    const VorndleSceneTemplate* p = part(entry.name);
    ASSERT_TRUE(p);
    ASSERT_TRUE(p->cameraSelection && p->cameraSelection->keyCount() > 0) << entry.name;
    const float cameras = float(p->cameras.size());
    int wrong = 0;
    for (float beat : sampledBeats(entry)) {
        const float selection = p->cameraSelection->evaluate(beat);
        const bool named = std::isfinite(selection) && selection >= 0 && std::floor(selection) < cameras;
        if (!named && wrong++ == 0)
            ADD_FAILURE() << entry.name << ": the camera envelope gives " << selection << " at beat " << beat
                          << " for " << p->cameras.size() << " cameras";
    }
    EXPECT_EQ(wrong, 0) << entry.name << ": sampled beats naming no camera";
}

INSTANTIATE_TEST_SUITE_P(Film, ProductionCameras, ::testing::ValuesIn(Vorndle::kParts),
                         [](const ::testing::TestParamInfo<Vorndle::PartEntry>& info) {
                             return std::string(info.param.name);
                         });
