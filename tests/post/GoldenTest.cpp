// Every composite permutation and every effect alone, rendered from the same G-buffer at 320 x 180
// and compared with the pictures under tests/data/post/. VORNDLE_UPDATE_GOLDENS=1 (or
// `make goldens`) rewrites the pictures; a failed comparison leaves the actual picture and a diff
// beside the test's working directory in post_failures/.
#include "PostChain.h"

#include "demo/Registries.h"
#include "post/BlurEngine.h"
#include "post/FXAAEngine.h"
#include "post/GlowEngine.h"
#include "post/LightStreaksEngine.h"
#include "post/MotionBlurEngine.h"
#include "post/RadialBlurEngine.h"
#include "post/SSAOEngine.h"
#include "render/Framebuffer.h"
#include "support/GoldenImage.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

// Compares against the picture under tests/data/post/; a failure leaves pictures in post_failures/.
::testing::AssertionResult matchesGolden(const std::string& name, int w, int h,
                                         const std::vector<uint8_t>& actual) {
    return matchesGoldenImage(VORNDLE_SOURCE_DIR "/tests/data/post", "post_failures", name, w, h, actual, 40,
                              38.0);
}

class PostGoldenTest : public PostChainTest {
protected:
    void SetUp() override {
        PostChainTest::SetUp();
        ASSERT_TRUE(buildResources());
        renderScene(2.0f);
        renderScene(2.4f); // a second frame, so motion blur has a previous camera
        blit = makeRef<BlitEngine>();
        ASSERT_TRUE(blit->setUp("test_gradient", kWidth, kHeight));
        blit->output = output;
        feedCamera(*blit);
        blit->dofParams[0] = 6.0f;
        blit->dofParams[1] = 0.5f;
        blit->dofParams[2] = 3.0f;
        blit->passCounts[1] = 3;
        blit->passCounts[2] = 3;
        blit->passCounts[6] = 2;
        blit->glow().color = Vec4(1.0f, 1.0f, 1.0f, 0.6f);
        blit->lightStreaks().color = Vec4(1.5f, 1.5f, 1.5f, 0.5f);
        blit->radialBlur().color = Vec4(1.2f, 1.2f, 1.2f, 1.0f);
        blit->radialBlur().origin = Vec2(0.55f, 0.6f);
        blit->ssao().params.radius = 0.35f;
        blit->ssao().params.attScale = 1.5f;
        blit->noise[2] = 0.04f;
        blit->distortion[2] = 0.006f;
        blit->gamma[0] = 1.1f;
    }
    void TearDown() override {
        blit = nullptr;
        PostChainTest::TearDown();
    }

    // One engine on its own: the chain before it runs as usual, its target is read back.
    void checkEngine(const std::string& name, int slot, int passes, const char* targetName) {
        if (slot != BlitEngine::kFXAA)
            blit->engine(BlitEngine::kFXAA)->render(*device, blit->samplerSets(BlitEngine::kFXAA), 1);
        blit->engine(slot)->render(*device, blit->samplerSets(slot), passes);
        const Ref<Framebuffer> target = framebufferRegistry().find(targetName);
        device->resetState();
        EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
        EXPECT_TRUE(matchesGolden(name, target->width(), target->height(), readPixels(target)));
    }

    Ref<BlitEngine> blit;
};

TEST_F(PostGoldenTest, EveryPermutation) {
    for (int i = 0; i < BlitEngine::kPermutationCount; ++i) {
        SCOPED_TRACE(BlitEngine::permutationName(i));
        const bool glow = (i & 2) != 0, dof = (i & 4) != 0;
        blit->effects[BlitEngine::kFlagGlow] = glow;
        blit->effects[BlitEngine::kFlagDepthOfField] = dof;
        blit->updatePermutation();
        blit->forcePermutation(i);
        blit->run(*device);
        device->resetState();
        EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
        std::string name = BlitEngine::permutationName(i);
        EXPECT_TRUE(matchesGolden(name.substr(5), kWidth, kHeight, readPixels(output)));
    }
}

TEST_F(PostGoldenTest, EveryEffectAlone) {
    checkEngine("fxaa", BlitEngine::kFXAA, 1, "mlaa_buffer");
    checkEngine("ssao", BlitEngine::kAmbientOcclusion, 1, "ssao_buffer");
    checkEngine("blur", BlitEngine::kDepthOfFieldBlur, 2, "dof");
    checkEngine("glow", BlitEngine::kGlow, 3, "blur");
    checkEngine("radial_blur", BlitEngine::kRadialBlur, 2, "blur");
    checkEngine("lightstreaks", BlitEngine::kLightStreaks, 3, "blur");
    checkEngine("motion_blur", BlitEngine::kMotionBlur, 1, "dof");
}

} // namespace
