// The frame profiler on real frames: the deferred example's passes in their order with GPU times
// that fit inside the frame, exact pipeline statistics for a known mesh, a driver without timers
// or statistics, and not one extra GL call while profiling is off.
#include "DeferredFixture.h"
#include "ExampleSceneSession.h"

#include "demo/Registries.h"
#include "render/FrameProfiler.h"
#include "render/Texture.h"
#include "scene/Camera.h"
#include "scene/DirectionalLight.h"
#include "scene/Group.h"
#include "support/GlCallRecorder.h"
#include "support/GlTest.h"
#include "support/TempDir.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> passNames(const FrameProfiler& profiler) {
    std::vector<std::string> names;
    for (const FrameProfiler::PassResult& r : profiler.lastFrame())
        names.push_back(profiler.passName(r.pass));
    return names;
}

const FrameProfiler::PassResult* findPass(const FrameProfiler& profiler, const std::string& name) {
    for (const FrameProfiler::PassResult& r : profiler.lastFrame())
        if (profiler.passName(r.pass) == name)
            return &r;
    return nullptr;
}

// The calls of a frame without those the profiler itself adds.
std::vector<std::string> withoutProfilerCalls(const std::vector<std::string>& calls) {
    std::vector<std::string> kept;
    for (const std::string& call : calls) {
        const bool statistics = call.find("(33518") != std::string::npos ||
                                call.find("(33519") != std::string::npos ||
                                call.find("(33524") != std::string::npos;
        const bool own =
            call.rfind("glQueryCounter(", 0) == 0 || call.rfind("glPushDebugGroup(", 0) == 0 ||
            call.rfind("glPopDebugGroup(", 0) == 0 ||
            ((call.rfind("glBeginQuery(", 0) == 0 || call.rfind("glEndQuery(", 0) == 0) && statistics);
        if (!own)
            kept.push_back(call.substr(0, call.find('(')));
    }
    return kept;
}

class ExampleProfileTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        std::string error;
        ASSERT_TRUE(session.open(320, 180, &error)) << error;
    }
    void TearDown() override {
        if (session.device)
            session.device->setProfiler(nullptr);
        session.close();
        GlTest::TearDown();
    }
    void profiledFrame(FrameProfiler& profiler, float beat) {
        profiler.beginFrame(beat);
        session.renderOnly(beat);
        profiler.endFrame();
    }

    ExampleSceneSession session;
};

TEST_F(ExampleProfileTest, PassesComeInTheFramesOrderWithTimesInsideTheFrame) {
    Ref<FrameProfiler> profiler = makeRef<FrameProfiler>();
    ASSERT_TRUE(profiler->features().timers) << "llvmpipe has timestamp queries";
    ASSERT_TRUE(profiler->features().statistics) << "llvmpipe has pipeline statistics";
    TempDir dir;
    ASSERT_TRUE(profiler->writeJson(dir.path() + "/frames.json"));
    session.device->setProfiler(profiler.get());
    for (int i = 0; i < 3; ++i)
        profiledFrame(*profiler, 8.0f);
    profiler->collect(true);
    profiler->closeJson();
    EXPECT_EQ(profiler->framesCollected(), 3);

    // At beat 8 the sun is up: its four cascades, then the spot's and the projective light's own
    // maps, the G-buffer, every light kind (a second spot without shadow), the chain (the example
    // glows) and the composite.
    const std::vector<std::string> expected = {"shadow cascade 0",
                                               "shadow cascade 1",
                                               "shadow cascade 2",
                                               "shadow cascade 3",
                                               "shadow local light",
                                               "shadow local light",
                                               "gbuffer",
                                               "light directional",
                                               "light point",
                                               "light spot",
                                               "light spot shadowed",
                                               "light area",
                                               "light linear",
                                               "light cube",
                                               "light ambient",
                                               "light projective shadowed",
                                               "light atmospherical shadowed",
                                               "after lights",
                                               "post fxaa",
                                               "post ambient occlusion",
                                               "post glow",
                                               "composite"};
    EXPECT_EQ(passNames(*profiler), expected);

    ASSERT_TRUE(profiler->lastFrameHasGpu());
    uint64_t sum = 0;
    for (const FrameProfiler::PassResult& r : profiler->lastFrame()) {
        EXPECT_TRUE(r.hasGpu);
        EXPECT_GT(r.gpuNs, 0u) << profiler->passName(r.pass);
        EXPECT_TRUE(r.hasStatistics) << profiler->passName(r.pass);
        sum += r.gpuNs;
    }
    EXPECT_LE(sum, profiler->lastFrameGpuNs());

    // The composite covers the output once: a fragment per pixel, and a few more where llvmpipe
    // shades whole pixel quads along the seam of the quad's two triangles.
    const FrameProfiler::PassResult* composite = findPass(*profiler, "composite");
    ASSERT_TRUE(composite);
    EXPECT_EQ(composite->pixels, 320u * 180u);
    EXPECT_GE(composite->statistics[FrameProfiler::kFragmentInvocations], 320u * 180u);
    EXPECT_LE(composite->statistics[FrameProfiler::kFragmentInvocations], 320u * 180u * 21 / 20);

    // One record per frame, with the frame's passes.
    std::ifstream json(dir.path() + "/frames.json");
    std::string line;
    int lines = 0;
    while (std::getline(json, line)) {
        EXPECT_EQ(line.rfind("{\"frame\":" + std::to_string(lines) + ",", 0), 0u) << line;
        EXPECT_NE(line.find("{\"part\":null,\"pass\":\"light spot shadowed\",\"gpu_ms\":"),
                  std::string::npos);
        EXPECT_EQ(line.substr(line.size() - 2), "]}");
        ++lines;
    }
    EXPECT_EQ(lines, 3);

    // The table names every pass once, in frame order, with its statistics.
    const std::vector<FrameProfiler::PassSummary> rows = profiler->summary();
    std::vector<std::string> rowNames, once = expected;
    once.erase(std::unique(once.begin(), once.end()), once.end());
    for (const FrameProfiler::PassSummary& row : rows)
        rowNames.push_back(row.name);
    EXPECT_EQ(rowNames, once) << "the two local maps are one pass";
    for (const FrameProfiler::PassSummary& row : rows) {
        EXPECT_EQ(row.frames, 3) << row.name;
        EXPECT_GT(row.gpuMedianMs, 0.0) << row.name;
        EXPECT_GE(row.gpuP95Ms, row.gpuMedianMs) << row.name;
    }
}

TEST_F(ExampleProfileTest, OffMeansNotOneCallMoreAndADriverWithoutQueriesStillProfiles) {
    session.renderOnly(8.0f);
    GlCallRecorder off;
    session.renderOnly(8.0f);
    off.stop();
    const std::vector<std::string> plain = withoutProfilerCalls(off.calls());
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(plain.size(), off.calls().size()) << "no query, timestamp or debug group without a profiler";

    Ref<FrameProfiler> profiler = makeRef<FrameProfiler>();
    session.device->setProfiler(profiler.get());
    // Every slot of the ring gets its queries the first time round.
    for (int i = 0; i < FrameProfiler::kRingFrames; ++i)
        profiledFrame(*profiler, 8.0f);
    GlCallRecorder on;
    profiledFrame(*profiler, 8.0f);
    on.stop();
    EXPECT_GT(on.calls().size(), off.calls().size());
    EXPECT_EQ(withoutProfilerCalls(on.calls()), plain) << "the profiler only adds its own calls";

    // A driver with neither timers nor statistics nor KHR_debug: CPU times only, no query at all.
    FrameProfiler::Features none;
    none.timers = none.statistics = none.debugGroups = false;
    Ref<FrameProfiler> bare = makeRef<FrameProfiler>(none);
    session.device->setProfiler(bare.get());
    GlCallRecorder bareCalls;
    profiledFrame(*bare, 8.0f);
    bareCalls.stop();
    EXPECT_EQ(withoutProfilerCalls(bareCalls.calls()), plain);
    EXPECT_EQ(withoutProfilerCalls(bareCalls.calls()).size(), bareCalls.calls().size());
    bare->collect(true);
    ASSERT_EQ(bare->lastFrame().size(), 22u);
    EXPECT_FALSE(bare->lastFrameHasGpu());
    for (const FrameProfiler::PassResult& r : bare->lastFrame()) {
        EXPECT_FALSE(r.hasGpu);
        EXPECT_FALSE(r.hasStatistics);
    }
    TempDir dir;
    const std::string path = dir.path() + "/table.txt";
    std::FILE* out = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(out);
    bare->printTable(out);
    std::fclose(out);
    std::stringstream table;
    table << std::ifstream(path).rdbuf();
    EXPECT_NE(table.str().find("GPU times: n/a"), std::string::npos) << table.str();
    EXPECT_NE(table.str().find("statistics: n/a"), std::string::npos) << table.str();
    EXPECT_NE(table.str().find("  gbuffer "), std::string::npos) << table.str();
}

class MeshProfileTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        std::string error;
        ASSERT_TRUE(deferred_resources::build(64, 36, 64, &error)) << error;
    }
};

TEST_F(MeshProfileTest, StatisticsCountTheDrawnMeshExactly) {
    Ref<Node> camera;
    auto part = makeRef<CodeScene>([&camera] {
        Ref<Scene> scene = makeRef<Scene>();
        Ref<Group> root = makeRef<Group>();
        scene->setRoot(root);
        Ref<Camera> cam = makeRef<Camera>();
        cam->transform.flags |= NodeTransform::HasPosition;
        cam->transform.position = Vec3(0, 0, 6);
        cam->farZ = 100;
        attach<Node>(root.get(), cam);
        camera = cam;
        Node* material =
            attach<Node>(root.get(), makeRef<ProgramState>(programRegistry().find("materials/plain")));
        attach<Node>(material, makeRef<BoxDrawable>(Vec3(2, 2, 2)));
        attach<Node>(root.get(), makeRef<DirectionalLight>(Vec3(1, 1, 1)));
        return scene;
    });
    Ref<LoadingScreen> none;
    ASSERT_TRUE(part->load(none));
    part->camera = camera;
    Ref<Device> device = deferred_resources::device();
    Ref<FrameProfiler> profiler = makeRef<FrameProfiler>();
    device->setProfiler(profiler.get());
    for (int i = 0; i < 2; ++i) {
        profiler->beginFrame(0);
        profiler->beginPart("box");
        part->update(0, 0);
        part->render(device, 0, 0);
        profiler->endPart();
        profiler->endFrame();
    }
    device->setProfiler(nullptr);
    profiler->collect(true);
    const std::vector<std::string> expected = {"total", "gbuffer", "light directional", "after lights"};
    EXPECT_EQ(passNames(*profiler), expected);
    EXPECT_EQ(profiler->partName(profiler->lastFrame()[1].pass), "box");

    // The box: six faces of two triangles, drawn without indices.
    const FrameProfiler::PassResult* gbuffer = findPass(*profiler, "gbuffer");
    ASSERT_TRUE(gbuffer && gbuffer->hasStatistics);
    EXPECT_EQ(gbuffer->statistics[FrameProfiler::kVerticesSubmitted], 36u);
    EXPECT_EQ(gbuffer->statistics[FrameProfiler::kPrimitivesSubmitted], 12u);
    EXPECT_GT(gbuffer->statistics[FrameProfiler::kFragmentInvocations], 0u);
    EXPECT_LT(gbuffer->statistics[FrameProfiler::kFragmentInvocations], 64u * 36u) << "the box covers part";
    EXPECT_EQ(gbuffer->pixels, 64u * 36u);
    // The sun is one point.
    const FrameProfiler::PassResult* sun = findPass(*profiler, "light directional");
    ASSERT_TRUE(sun && sun->hasStatistics);
    EXPECT_EQ(sun->statistics[FrameProfiler::kVerticesSubmitted], 1u);
    // The part's total holds no statistics of its own (its passes have them), but the time of all.
    const FrameProfiler::PassResult& total = profiler->lastFrame()[0];
    EXPECT_FALSE(total.hasStatistics);
    EXPECT_GE(total.gpuNs, gbuffer->gpuNs + sun->gpuNs);
    EXPECT_GE(total.cpuNs, gbuffer->cpuNs + sun->cpuNs);

    // Captures show the description's names.
    ASSERT_TRUE(profiler->features().debugGroups) << "llvmpipe has KHR_debug";
    const Ref<Texture> texture = textureRegistry().find("gb_diffuse");
    ASSERT_TRUE(texture);
    profiler->labelObject(GL_TEXTURE, texture->glName(), "gb_diffuse");
    char label[64] = {};
    GLsizei length = 0;
    glGetObjectLabel(GL_TEXTURE, texture->glName(), sizeof label, &length, label);
    EXPECT_STREQ(label, "gb_diffuse");
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
}

} // namespace
