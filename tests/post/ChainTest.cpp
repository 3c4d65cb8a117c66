// The chain on GL: set-up by name, which passes run into which targets reading what, the state
// calls and allocations of a frame, and the shared quads' lifetime.
#include "PostChain.h"

#include "demo/Registries.h"
#include "math/RandomDraw.h"
#include "post/BlurEngine.h"
#include "post/GlowEngine.h"
#include "post/LightStreaksEngine.h"
#include "post/SSAOEngine.h"
#include "render/FrameProfiler.h"
#include "render/Framebuffer.h"
#include "render/SamplerSet.h"
#include "support/GlCallRecorder.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VORNDLE_COUNT_ALLOCATIONS 0
#else
#define VORNDLE_COUNT_ALLOCATIONS 1
#endif

namespace {
// Counts operator new while armed: a frame of the chain must not allocate. Sanitizer builds keep
// their own operator new, and skip the count.
size_t gAllocations = 0;
bool gCountAllocations = false;
} // namespace

#if VORNDLE_COUNT_ALLOCATIONS
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
    if (gCountAllocations)
        ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
#endif

namespace {

// One draw as the recorder saw it: the framebuffer it drew into and the textures bound for it.
struct Draw {
    unsigned target = 0;
    std::vector<unsigned> textures;
};

unsigned lastArgument(const std::string& call) {
    return unsigned(std::strtoul(call.substr(call.rfind(' ') + 1).c_str(), nullptr, 10));
}

std::vector<Draw> draws(const std::vector<std::string>& calls) {
    std::vector<Draw> out;
    Draw current;
    for (const std::string& call : calls) {
        if (call.rfind("glBindFramebuffer(36009,", 0) == 0) {
            current.target = lastArgument(call);
        } else if (call.rfind("glBindTexture(3553,", 0) == 0) {
            if (unsigned name = lastArgument(call))
                current.textures.push_back(name);
        } else if (call.rfind("glDrawArrays(", 0) == 0) {
            out.push_back(current);
            current.textures.clear();
        }
    }
    return out;
}

unsigned fbo(const char* name) {
    return framebufferRegistry().find(name)->glName();
}
unsigned tex(const char* name) {
    return textureRegistry().find(name)->glName();
}

class PostChain : public PostChainTest {
protected:
    void SetUp() override {
        PostChainTest::SetUp();
        ASSERT_TRUE(buildResources());
        renderScene(1.0f);
        renderScene(1.2f);
    }
    void TearDown() override {
        blit = nullptr;
        PostChainTest::TearDown();
    }
    void makeChain() {
        blit = makeRef<BlitEngine>();
        ASSERT_TRUE(blit->setUp("test_gradient", kWidth, kHeight));
        blit->output = output;
        feedCamera(*blit);
    }

    Ref<BlitEngine> blit;
};

TEST_F(PostChain, BlurAndGlowPingPongBetweenTheirTargets) {
    if (!GlCallRecorder::wrapsDirectEntryPoints())
        GTEST_SKIP() << "draws and texture binds are not recorded in this binary";
    makeChain();
    for (int slot : {int(BlitEngine::kDepthOfFieldBlur), int(BlitEngine::kGlow)}) {
        SCOPED_TRACE(slot);
        const unsigned second = slot == BlitEngine::kGlow ? fbo("blur") : fbo("dof");
        const unsigned secondTexture = slot == BlitEngine::kGlow ? tex("blur_color") : tex("dof_color");
        GlCallRecorder recorder;
        blit->engine(slot)->render(*device, blit->samplerSets(slot), 3);
        recorder.stop();
        const std::vector<Draw> seen = draws(recorder.calls());
        ASSERT_EQ(seen.size(), 6u);
        for (size_t i = 0; i < seen.size(); ++i) {
            const bool passB = i % 2 == 1;
            EXPECT_EQ(seen[i].target, passB ? second : fbo("blur_temp")) << "pass " << i;
            const unsigned read = passB    ? tex("blur_temp_color")
                                  : i == 0 ? tex("ssao_buffer")
                                           : secondTexture;
            EXPECT_EQ(seen[i].textures, std::vector<unsigned>{read}) << "pass " << i;
        }
    }

    // One iteration reads only the first two sets.
    GlCallRecorder recorder;
    blit->glow().render(*device, blit->samplerSets(BlitEngine::kGlow), 1);
    recorder.stop();
    const std::vector<Draw> once = draws(recorder.calls());
    ASSERT_EQ(once.size(), 2u);
    EXPECT_EQ(once[0].textures, std::vector<unsigned>{tex("ssao_buffer")});
    EXPECT_EQ(once[1].textures, std::vector<unsigned>{tex("blur_temp_color")});
    // The glow colour goes to the very first pass only.
    EXPECT_EQ(recorder.count("glUniform4f"), 2u);
}

TEST_F(PostChain, LightStreakPassesRoundUpToEvenAndClearTheResult) {
    if (!GlCallRecorder::wrapsDirectEntryPoints())
        GTEST_SKIP() << "draws are not recorded in this binary";
    makeChain();
    for (int asked : {0, 1, 3, 4}) {
        SCOPED_TRACE(asked);
        GlCallRecorder recorder;
        blit->lightStreaks().render(*device, blit->samplerSets(BlitEngine::kLightStreaks), asked);
        recorder.stop();
        const std::vector<Draw> seen = draws(recorder.calls());
        ASSERT_EQ(seen.size(), size_t(asked + asked % 2));
        EXPECT_EQ(recorder.count("glClearBufferfv"), 1u);
        for (size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i].target, i % 2 ? fbo("blur") : fbo("blur_temp"));
        // The clear comes first and goes to the second target.
        const std::vector<std::string>& calls = recorder.calls();
        size_t clear = 0;
        while (calls[clear].rfind("glClearBufferfv", 0) != 0)
            ++clear;
        size_t bind = clear;
        while (calls[bind].rfind("glBindFramebuffer(36009,", 0) != 0)
            --bind;
        EXPECT_EQ(lastArgument(calls[bind]), fbo("blur"));
    }
}

TEST_F(PostChain, RunOrderFollowsTheSwitches) {
    if (!GlCallRecorder::wrapsDirectEntryPoints())
        GTEST_SKIP() << "draws are not recorded in this binary";
    makeChain();
    blit->passCounts[0] = 2;
    struct Case {
        const char* what;
        std::vector<int> on;
        std::vector<unsigned> targets; // after FXAA and the two occlusion passes
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"glow wins over streaks and radial blur",
         {BlitEngine::kFlagGlow, BlitEngine::kFlagLightStreaks, BlitEngine::kFlagRadialBlur},
         {fbo("blur_temp"), fbo("blur")}},
        {"radial blur", {BlitEngine::kFlagRadialBlur}, {fbo("blur_temp"), fbo("blur")}},
        {"depth of field",
         {BlitEngine::kFlagDepthOfField},
         {fbo("blur_temp"), fbo("dof"), fbo("blur_temp"), fbo("dof")}},
        {"motion blur instead", {BlitEngine::kFlagDepthOfField, BlitEngine::kFlagMotionBlur}, {fbo("dof")}},
        {"motion blur without depth of field", {BlitEngine::kFlagMotionBlur}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool& flag : blit->effects)
            flag = false;
        for (int flag : c.on)
            blit->effects[flag] = true;
        blit->updatePermutation();
        GlCallRecorder recorder;
        blit->run(*device);
        recorder.stop();
        const std::vector<Draw> seen = draws(recorder.calls());
        std::vector<unsigned> expected = {fbo("mlaa_buffer"), fbo("ssao_temp"), fbo("ssao_buffer")};
        expected.insert(expected.end(), c.targets.begin(), c.targets.end());
        expected.push_back(output->glName());
        std::vector<unsigned> targets;
        for (const Draw& d : seen)
            targets.push_back(d.target);
        EXPECT_EQ(targets, expected);
    }
}

TEST_F(PostChain, SecondFrameRepeatsTheCallsWithoutStateChangesOrAllocations) {
    makeChain();
    blit->effects[BlitEngine::kFlagGlow] = true;
    blit->effects[BlitEngine::kFlagDepthOfField] = true;
    blit->updatePermutation();
    blit->run(*device);
    device->resetState();
    blit->run(*device); // warm: the driver has seen every pass once

    device->resetState();
    gAllocations = 0;
    gCountAllocations = true;
    blit->run(*device);
    gCountAllocations = false;
    if (VORNDLE_COUNT_ALLOCATIONS) {
        EXPECT_EQ(gAllocations, 0u);
    }

    device->resetState();
    GlCallRecorder first;
    const unsigned long stateBefore = device->stateCallCount();
    blit->run(*device);
    first.stop();
    EXPECT_EQ(device->stateCallCount(), stateBefore) << "state that was already current was sent again";

    device->resetState();
    GlCallRecorder second;
    blit->run(*device);
    second.stop();
    ASSERT_EQ(first.calls().size(), second.calls().size());
    for (size_t i = 0; i < first.calls().size(); ++i) {
        // Only the composite's fresh noise values differ between frames.
        if (first.calls()[i].rfind("glUniform3f(", 0) == 0)
            continue;
        EXPECT_EQ(first.calls()[i], second.calls()[i]) << "call " << i;
    }

    // Blending left on by a part is switched off once, by the first pass.
    BlendState blending;
    blending.enabled = true;
    device->applyBlend(blending);
    const unsigned long before = device->stateCallCount();
    blit->run(*device);
    EXPECT_EQ(device->stateCallCount(), before + 1);
    EXPECT_FALSE(device->blendCache().enabled);
}

TEST_F(PostChain, AProfiledFrameAllocatesNothingOnceWarm) {
    makeChain();
    blit->effects[BlitEngine::kFlagGlow] = true;
    blit->effects[BlitEngine::kFlagDepthOfField] = true;
    blit->updatePermutation();
    Ref<FrameProfiler> profiler = makeRef<FrameProfiler>();
    TempDir dir;
    ASSERT_TRUE(profiler->writeJson(dir.file("frames.json")));
    device->setProfiler(profiler.get());
    auto frame = [&] {
        profiler->beginFrame(0);
        profiler->beginPart("chain");
        device->resetState();
        blit->run(*device);
        profiler->endPart();
        profiler->endFrame();
        glFinish();
    };
    // Warm: every pass seen, every slot of the ring used and read back once.
    for (int i = 0; i < 2 * FrameProfiler::kRingFrames; ++i)
        frame();
    const long collected = profiler->framesCollected();
    gAllocations = 0;
    gCountAllocations = true;
    frame();
    frame();
    gCountAllocations = false;
    device->setProfiler(nullptr);
    if (VORNDLE_COUNT_ALLOCATIONS) {
        EXPECT_EQ(gAllocations, 0u);
    }
    EXPECT_EQ(profiler->framesCollected(), collected + 2) << "results read while frames go on";
    EXPECT_EQ(profiler->framesDropped(), 0);
}

TEST_F(PostChain, CompositeUniformsAndNoise) {
    makeChain();
    GlCallRecorder recorder;
    blit->run(*device);
    recorder.stop();
    // The noise generator advanced twice from its seed.
    EXPECT_EQ(blit->noiseSeed(), 0x12345678u * 16807u * 16807u);
    RandomDraw draw(0x12345678u);
    const float r1 = draw.next(), r2 = draw.next();
    const GLint noise = blit->program(0)->findUniform("noiseParams")->location;
    const std::vector<std::string>& calls = recorder.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), glCall("glUniform3f", noise, r1, r2, 0.0f)), 1);
    // The inverse viewport of the back buffer.
    const GLint inverse = blit->program(0)->findUniform("invViewport")->location;
    EXPECT_EQ(
        std::count(calls.begin(), calls.end(), glCall("glUniform2f", inverse, 1.0f / kWidth, 1.0f / kHeight)),
        1);
}

TEST_F(PostChain, MissingRequiredResourcesFailWithADiagnostic) {
    for (const char* program : {"post/glow", "post/ssao", "post/blit_dof_ssao"}) {
        SCOPED_TRACE(program);
        Ref<Program> kept = programRegistry().find(program);
        programRegistry().remove(program);
        Ref<BlitEngine> chain = makeRef<BlitEngine>();
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(chain->setUp("test_gradient", kWidth, kHeight));
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(program), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        programRegistry().insert(program, kept);
    }
    Ref<Framebuffer> kept = framebufferRegistry().find("blur");
    framebufferRegistry().remove("blur");
    Ref<BlitEngine> chain = makeRef<BlitEngine>();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(chain->setUp("test_gradient", kWidth, kHeight));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("\"blur\""), std::string::npos);
    framebufferRegistry().insert("blur", kept);
}

TEST_F(PostChain, MissingOptionalResourcesAreSkipped) {
    makeChain();
    const size_t full = blit->compositeSamplerSet(0)->bindings().size();
    EXPECT_EQ(blit->samplerSets(BlitEngine::kAmbientOcclusion).size(), 2u);
    blit = nullptr;

    textureRegistry().remove("noise");
    framebufferRegistry().remove("ssao_temp");
    ::testing::internal::CaptureStderr();
    makeChain();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    // "noise" fed two samplers of the composite.
    EXPECT_EQ(blit->compositeSamplerSet(0)->bindings().size(), full - 2);
    // Without its first target the occlusion runs in one pass, unblurred.
    EXPECT_EQ(blit->samplerSets(BlitEngine::kAmbientOcclusion).size(), 1u);
    blit->run(*device);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
}

TEST_F(PostChain, SharedQuadsGoWithTheLastEngine) {
    EXPECT_EQ(MultiPassEngine::sharedQuad(), nullptr);
    makeChain();
    Ref<BlitEngine> other = makeRef<BlitEngine>();
    ASSERT_TRUE(other->setUp("test_gradient", kWidth, kHeight));
    Ref<VertexBuffer> quad = MultiPassEngine::sharedQuad();
    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(quad->vertexCount(), 4);
    EXPECT_EQ(quad->stride(), 8);
    quad = nullptr;
    blit = nullptr;
    EXPECT_NE(MultiPassEngine::sharedQuad(), nullptr);
    other = nullptr;
    EXPECT_EQ(MultiPassEngine::sharedQuad(), nullptr);
}

} // namespace
