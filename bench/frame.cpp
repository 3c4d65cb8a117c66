// Whole deferred frames: the shadow cascades, the G-buffer, every light and the full post chain.
// Three scenes: the reference scene (a ground, a few boxes, one light of every kind, the sun with
// four cascades), a stress scene (500 drawables, 100 lights of mixed kinds, four cascades) and the
// deferred example's scene file (examples/deferred, loaded from its built data tree: ten lights,
// four cascades and two local shadow maps). Each runs with GL stubbed by the call recorder's
// counting mode (the engine's CPU alone, with heap allocations, GL calls, and the state calls the
// device's caches sent and removed per frame) and on the test driver at 320 x 180 (llvmpipe in CI).
// The production's three parts run with GL stubbed too, each at a representative beat.
#include "../tests/deferred/DeferredFixture.h"
#include "../tests/deferred/ExampleSceneSession.h"
#include "../tests/post/PostResources.h"
#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "deferred/CascadedShadows.h"
#include "demo/Registries.h"
#include "post/BlitEngine.h"
#include "render/Framebuffer.h"
#include "scene/AmbientLight.h"
#include "scene/AreaLight.h"
#include "scene/Camera.h"
#include "scene/CubeLight.h"
#include "scene/DirectionalLight.h"
#include "scene/Group.h"
#include "scene/LinearLight.h"
#include "scene/PointLight.h"
#include "scene/ProjectiveLight.h"
#include "scene/SpotLight.h"
#include "support/AllocationCounter.h"
#include "support/GlCallRecorder.h"
#include "support/GlContext.h"
#include "support/ProductionSession.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

namespace {

constexpr int kWidth = 320, kHeight = 180;

struct Frame {
    Ref<Device> device;
    Ref<CodeScene> part;
    Ref<Camera> camera;
    Ref<AtmosphericalLight> sun;
    Ref<CascadedShadows> shadows;
    float time = 0;
};

Ref<Light> placed(const Ref<Light>& light, Vec3 position, Vec3 rotation = Vec3()) {
    light->transform.flags |= NodeTransform::HasPosition | NodeTransform::HasRotation;
    light->transform.position = position;
    light->transform.rotation = rotation;
    return light;
}

Ref<Light> mixedLight(int i) {
    const float a = float(i) * 2.3999632f, r = 2.0f + float(i % 10);
    const Vec3 at(r * std::cos(a), 0.5f + float(i % 3), r * std::sin(a));
    const Vec3 down(0, 1.5707964f, 0);
    const Vec3 colour(0.5f + 0.5f * std::cos(a), 0.6f, 0.5f + 0.5f * std::sin(a));
    switch (i % 6) {
    case 0:
    case 1:
        return placed(makeRef<PointLight>(colour, 3.0f, 0.3f), at);
    case 2:
        return placed(makeRef<SpotLight>(colour * 2.0f, 5.0f, 0.5f, 0.1f), at + Vec3(0, 3, 0), down);
    case 3:
        return placed(makeRef<AreaLight>(colour, 3.0f), at);
    case 4:
        return placed(makeRef<LinearLight>(colour, 3.0f, 1.0f), at);
    default:
        return placed(makeRef<ProjectiveLight>(colour * 2.0f, textureRegistry().find("projection"), 6.0f,
                                               60.0f, 0.6f, 0.1f),
                      at + Vec3(0, 4, 0), down);
    }
}

// Builds the targets, programs and post chain once, and a scene of `drawables` boxes and the
// reference lights plus `extraLights` mixed ones.
bool makeFrame(benchmark::State& state, int drawables, int extraLights, Frame& frame) {
    if (!GlContext::ensure()) {
        state.SkipWithError(GlContext::error().c_str());
        return false;
    }
    frame.device = deferred_resources::device();
    std::string error;
    if (!post_resources::build(kWidth, kHeight, &error) ||
        !deferred_resources::build(kWidth, kHeight, 512, &error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    frame.part = makeRef<CodeScene>([&frame, drawables, extraLights] {
        Ref<Scene> scene = makeRef<Scene>();
        Ref<Group> root = makeRef<Group>();
        root->shadowCasterMask = 1;
        scene->setRoot(root);
        frame.camera = makeRef<Camera>();
        frame.camera->transform.flags |= NodeTransform::HasPosition | NodeTransform::HasRotation;
        frame.camera->transform.position = Vec3(0, 7, 16);
        frame.camera->transform.rotation = Vec3(0, -0.45f, 0);
        frame.camera->farZ = 80;
        Node::addChild(root.get(), frame.camera.get());
        Node* material =
            attach<Node>(root.get(), makeRef<ProgramState>(programRegistry().find("materials/plain")));
        material->shadowCasterMask = 1;
        attach<Node>(material, makeRef<BoxDrawable>(Vec3(40, 0, 40)));
        for (int i = 0; i < drawables; ++i) {
            Ref<BoxDrawable> box = makeRef<BoxDrawable>(Vec3(0.8f, 0.5f + float(i % 4) * 0.5f, 0.8f));
            box->transform.flags |= NodeTransform::HasPosition;
            box->transform.position = Vec3(float(i % 25) * 1.4f - 17, 0.5f, float(i / 25) * 1.4f - 14);
            box->shadowCasterMask = 1;
            attach<Node>(material, box);
        }
        const Vec3 down(0, 1.5707964f, 0);
        attach<Node>(root.get(),
                     placed(makeRef<DirectionalLight>(Vec3(0.2f, 0.2f, 0.25f)), Vec3(), Vec3(0, -1, 0)));
        attach<Node>(root.get(), placed(makeRef<PointLight>(Vec3(3, 2, 1), 4.0f, 0.4f), Vec3(3, 1, 2)));
        attach<Node>(root.get(),
                     placed(makeRef<SpotLight>(Vec3(4, 4, 4), 9.0f, 0.4f, 0.1f), Vec3(-3, 5, 0), down));
        attach<Node>(root.get(), placed(makeRef<AreaLight>(Vec3(0.5f, 2, 0.5f), 4.0f), Vec3(0, 1, 4)));
        attach<Node>(root.get(),
                     placed(makeRef<LinearLight>(Vec3(2, 0.5f, 2), 6.0f, 1.5f), Vec3(5, 0.3f, -4)));
        attach<Node>(root.get(), placed(makeRef<CubeLight>(Vec3(2, 2, 2), nullptr, 4.0f), Vec3(-5, 1.5f, 4)));
        attach<Node>(root.get(), placed(makeRef<AmbientLight>(Vec3(0.05f, 0.05f, 0.06f)), Vec3()));
        attach<Node>(root.get(),
                     placed(makeRef<ProjectiveLight>(Vec3(4, 4, 4), textureRegistry().find("projection"),
                                                     9.0f, 60.0f, 0.6f, 0.1f),
                            Vec3(0, 6, -2), down));
        for (int i = 0; i < extraLights; ++i)
            attach<Node>(root.get(), mixedLight(i));
        frame.sun = makeRef<AtmosphericalLight>();
        frame.sun->shadowCasterMask = 1;
        frame.sun->castsShadow = true;
        frame.sun->attach(*programRegistry().find("deferred/atmoslight_shadow"), makeRef<AtmosphereModel>());
        attach<Node>(root.get(), frame.sun);
        return scene;
    });
    Ref<LoadingScreen> none;
    if (!frame.part->load(none)) {
        state.SkipWithError("the deferred scene does not load");
        return false;
    }
    frame.part->camera = frame.camera;
    frame.shadows = makeRef<CascadedShadows>();
    if (!frame.shadows->load(*frame.sun)) {
        state.SkipWithError("no cascades");
        return false;
    }
    Ref<BlitEngine> blit = makeRef<BlitEngine>();
    if (!blit->setUp("test_gradient", kWidth, kHeight)) {
        state.SkipWithError("post chain set-up failed");
        return false;
    }
    blit->output = framebufferRegistry().find("output");
    // Every effect that can run together: one of the three blurs (glow), depth of field, motion blur.
    blit->effects[BlitEngine::kFlagGlow] = true;
    blit->effects[BlitEngine::kFlagDepthOfField] = true;
    blit->effects[BlitEngine::kFlagMotionBlur] = true;
    blit->updatePermutation();
    frame.part->setBlitEngine(blit);
    return true;
}

void renderFrame(Frame& frame) {
    frame.time += 0.02f;
    frame.part->update(frame.time, 0.02f);
    frame.part->setUpCamera(*frame.device);
    frame.shadows->update(*frame.camera, *frame.sun, *frame.part, frame.device, float(kWidth) / kHeight,
                          0.8f);
    frame.part->render(frame.device, frame.time, 0.02f);
}

void release(Frame& frame) {
    frame.part->unload();
    frame.part = nullptr;
    frame.shadows = nullptr;
    frame.sun = nullptr;
    frame.camera = nullptr;
}

// Draws one frame per iteration with GL stubbed by the call recorder's counting mode, and reports
// per frame the heap allocations, the GL calls and the state calls the device's caches sent and
// removed.
template <class DrawOne> void countStubbedFrames(benchmark::State& state, Device& device, DrawOne drawOne) {
    uint64_t frames = 0;
    const unsigned long stateCallsBefore = device.stateCallCount();
    const unsigned long removedBefore = device.stateCallsRemovedCount();
    {
        GlCallRecorder stub(GlCallRecorder::Mode::Count);
        gAllocations = 0;
        gCountAllocations = true;
        for (auto _ : state) {
            drawOne();
            ++frames;
        }
        gCountAllocations = false;
        state.counters["gl_calls_per_frame"] = frames ? double(stub.totalCount()) / double(frames) : 0.0;
    }
    const double n = frames ? double(frames) : 1.0;
    state.counters["allocations_per_frame"] = double(gAllocations) / n;
    state.counters["state_calls_per_frame"] = double(device.stateCallCount() - stateCallsBefore) / n;
    state.counters["state_calls_removed_per_frame"] =
        double(device.stateCallsRemovedCount() - removedBefore) / n;
}

void stubbed(benchmark::State& state, int drawables, int lights) {
    Frame frame;
    if (!makeFrame(state, drawables, lights, frame))
        return;
    renderFrame(frame);
    glFinish();
    countStubbedFrames(state, *frame.device, [&frame] { renderFrame(frame); });
    glFinish();
    release(frame);
}

void onDriver(benchmark::State& state, int drawables, int lights) {
    Frame frame;
    if (!makeFrame(state, drawables, lights, frame))
        return;
    renderFrame(frame); // first use compiles the driver's variants
    glFinish();
    for (auto _ : state) {
        renderFrame(frame);
        glFinish();
    }
    release(frame);
}

bool openExample(benchmark::State& state, ExampleSceneSession& session) {
    if (!GlContext::ensure()) {
        state.SkipWithError(GlContext::error().c_str());
        return false;
    }
    std::string error;
    if (!session.open(kWidth, kHeight, &error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    return true;
}

// The example's beats run from 0 to 32; frames step through them at 60 frames per second.
float nextBeat(float beat) {
    beat += 2.0f / 60.0f;
    return beat >= 32.0f ? beat - 32.0f : beat;
}

void BM_ExampleSceneStubbedGl(benchmark::State& state) {
    ExampleSceneSession session;
    if (!openExample(state, session))
        return;
    float beat = 0;
    session.renderOnly(beat);
    glFinish();
    countStubbedFrames(state, *session.device, [&] {
        beat = nextBeat(beat);
        session.renderOnly(beat);
    });
    glFinish();
}

void BM_ExampleSceneOnDriver(benchmark::State& state) {
    ExampleSceneSession session;
    if (!openExample(state, session))
        return;
    float beat = 0;
    session.renderOnly(beat);
    glFinish();
    for (auto _ : state) {
        beat = nextBeat(beat);
        session.renderOnly(beat);
        glFinish();
    }
}

void BM_ReferenceSceneStubbedGl(benchmark::State& state) {
    stubbed(state, 4, 0);
}
void BM_StressSceneStubbedGl(benchmark::State& state) {
    stubbed(state, 500, 91);
}
void BM_ReferenceSceneOnDriver(benchmark::State& state) {
    onDriver(state, 4, 0);
}
void BM_StressSceneOnDriver(benchmark::State& state) {
    onDriver(state, 500, 91);
}
// The production's parts (build/vorndle's classes on its built data tree), each from a
// representative beat after the simulation caught up with it: frames step on at 60 frames per
// second through kProductionBeats beats and start over, so every frame stays inside the part.
constexpr float kProductionBeats = 4.0f;

void BM_ProductionStubbedGl(benchmark::State& state, double beat) {
    ProductionSession session;
    if (!session.openFor(state))
        return;
    session.preroll(beat);
    const float first = float(beat), step = 1.0f / 60.0f, beatsPerFrame = float(session.bpm()) / 3600.0f;
    float at = first;
    session.frame(at, step); // first use compiles the driver's variants
    glFinish();
    countStubbedFrames(state, *session.app().device, [&] {
        at += beatsPerFrame;
        if (at >= first + kProductionBeats)
            at = first;
        session.frame(at, step);
    });
    glFinish();
}

BENCHMARK(BM_ExampleSceneStubbedGl)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExampleSceneOnDriver)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReferenceSceneStubbedGl)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StressSceneStubbedGl)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReferenceSceneOnDriver)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StressSceneOnDriver)->Unit(benchmark::kMillisecond)->UseRealTime();
// Last: the production sets the registries aside while it is open.
BENCHMARK_CAPTURE(BM_ProductionStubbedGl, intro, 60.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ProductionStubbedGl, windmill, 150.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ProductionStubbedGl, outro, 240.0)->Unit(benchmark::kMicrosecond);

} // namespace
