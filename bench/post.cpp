// The post-processing chain with every effect on: GPU time on the test driver at 320 x 180 and
// 1280 x 720 (llvmpipe in CI), and the CPU cost of submitting a frame with GL stubbed out.
#include "../tests/post/PostResources.h"
#include "demo/Registries.h"
#include "post/BlitEngine.h"
#include "render/Framebuffer.h"
#include "support/GlCallRecorder.h"
#include "support/GlContext.h"

#include <benchmark/benchmark.h>

namespace {

struct Chain {
    Ref<Device> device;
    Ref<BlitEngine> blit;
    post_resources::Camera camera;
};

// Builds the resources at the size and a chain with everything on (glow among the three blurs).
bool makeChain(benchmark::State& state, int width, int height, Chain& chain) {
    if (!GlContext::ensure()) {
        state.SkipWithError(GlContext::error().c_str());
        return false;
    }
    textureRegistry().clear();
    framebufferRegistry().clear();
    programRegistry().clear();
    chain.device = makeRef<Device>();
    chain.device->resetState();
    std::string error;
    if (!post_resources::build(width, height, &error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    post_resources::renderScene(*chain.device, 1.0f, chain.camera);
    post_resources::renderScene(*chain.device, 1.2f, chain.camera);
    chain.blit = makeRef<BlitEngine>();
    if (!chain.blit->setUp("test_gradient", width, height)) {
        state.SkipWithError("set-up failed");
        return false;
    }
    chain.blit->output = framebufferRegistry().find("output");
    post_resources::feedCamera(*chain.blit, chain.camera);
    chain.blit->effects[BlitEngine::kFlagGlow] = true;
    chain.blit->effects[BlitEngine::kFlagDepthOfField] = true;
    chain.blit->noise[2] = 0.03f;
    chain.blit->updatePermutation();
    return true;
}

void release(Chain& chain) {
    chain.blit = nullptr;
    chain.device = nullptr;
    textureRegistry().clear();
    framebufferRegistry().clear();
    programRegistry().clear();
}

void finishOne(Chain& chain) {
    chain.blit->run(*chain.device);
    chain.device->resetState();
    glFinish();
}

void BM_FullChainOnDriver(benchmark::State& state) {
    Chain chain;
    if (!makeChain(state, int(state.range(0)), int(state.range(1)), chain))
        return;
    finishOne(chain); // the driver compiles its shader variants on first use
    for (auto _ : state)
        finishOne(chain);
    release(chain);
}
BENCHMARK(BM_FullChainOnDriver)
    ->Args({320, 180})
    ->Args({1280, 720})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_SubmitWithStubbedGl(benchmark::State& state) {
    Chain chain;
    if (!makeChain(state, 320, 180, chain))
        return;
    finishOne(chain);
    {
        GlCallRecorder recorder;
        chain.blit->run(*chain.device);
        chain.device->resetState();
        recorder.stop();
        state.counters["gl_calls_recorded"] = double(recorder.calls().size());
    }
    glFinish();
    size_t frames = 0;
    {
        GlCallRecorder stub(GlCallRecorder::Mode::Count);
        for (auto _ : state) {
            chain.blit->run(*chain.device);
            chain.device->resetState();
            ++frames;
        }
        state.counters["stubbed_calls_per_frame"] = frames ? double(stub.totalCount()) / double(frames) : 0.0;
    }
    glFinish();
    release(chain);
}
BENCHMARK(BM_SubmitWithStubbedGl)->Unit(benchmark::kMicrosecond);

} // namespace
