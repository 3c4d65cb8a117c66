// The deferred example's scene (examples/deferred, loaded from its built data tree) composed at
// 320 x 180 at four beats of its sun's day: morning, late morning, noon and evening. Each picture
// is compared with tests/data/deferred/example_beat_<B>.png (VORNDLE_UPDATE_GOLDENS=1 or `make
// goldens` rewrites them; failures leave pictures in deferred_failures/), and a few pixels are
// checked to be lit or shadowed, so a wrong picture cannot be accepted by accident.
#include "DeferredFixture.h"
#include "ExampleSceneSession.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "post/BlitEngine.h"
#include "post/SSAOEngine.h"
#include "support/GlCallRecorder.h"
#include "support/GlTest.h"
#include "support/GoldenImage.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWidth = 320, kHeight = 180;

class ExampleGoldenTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        std::string error;
        ASSERT_TRUE(session.open(kWidth, kHeight, &error)) << error;
    }
    void TearDown() override {
        session.close();
        GlTest::TearDown();
    }

    static int brightness(const std::vector<uint8_t>& rgba, int x, int y) {
        const uint8_t* p = &rgba[(size_t(y) * kWidth + size_t(x)) * 4];
        return p[0] + p[1] + p[2];
    }
    static ::testing::AssertionResult golden(float beat, const std::vector<uint8_t>& rgba) {
        char name[32];
        std::snprintf(name, sizeof name, "example_beat_%g", double(beat));
        return matchesGoldenImage(VORNDLE_SOURCE_DIR "/tests/data/deferred", "deferred_failures", name,
                                  kWidth, kHeight, rgba);
    }

    ExampleSceneSession session;
};

TEST_F(ExampleGoldenTest, EveryLightKindAndEveryShadowLoads) {
    const auto& lights = session.part->lights();
    ASSERT_EQ(lights.size(), 10u) << "one light of every kind and a second spot light";
    for (int type = 0; type < DeferredScene::kLightTypes; ++type)
        EXPECT_GT(session.part->lightTypeStart()[type + 1], session.part->lightTypeStart()[type])
            << "light type " << type;
    EXPECT_EQ(session.part->shadowedLocalLights().size(), 2u) << "a spot and the projective light";
    ASSERT_TRUE(session.part->sun());
    EXPECT_TRUE(session.part->sun()->castsShadow);
}

TEST_F(ExampleGoldenTest, TheSunFollowsItsPath) {
    session.part->update(0, 0);
    const Vec3 morning = session.part->sun()->model->sunDirection;
    session.part->update(16, 0);
    const Vec3 noon = session.part->sun()->model->sunDirection;
    EXPECT_GT(noon.y, morning.y + 0.3f) << "higher at noon";
    EXPECT_GT(morning.y, 0.0f) << "up already at beat 0";
}

// Screen points: the sky, the magenta spot's pool, open ground to the right, and under the red ball
// (in the shadow it casts from the spot light behind it) beside the lit ring of that light.
constexpr int kSkyX = 160, kSkyY = 8, kMagentaX = 245, kMagentaY = 108, kOpenX = 300, kOpenY = 160;
constexpr int kBallShadowX = 120, kSpotRingX = 100, kSpotY = 103;

TEST_F(ExampleGoldenTest, Beat0) {
    auto px = session.render(0);
    EXPECT_GT(px[(kSkyY * kWidth + kSkyX) * 4 + 2], px[(kSkyY * kWidth + kSkyX) * 4] + 40) << "a blue sky";
    EXPECT_LT(brightness(px, kOpenX, kOpenY), 320) << "the morning sun is low";
    EXPECT_TRUE(golden(0, px));
}

TEST_F(ExampleGoldenTest, Beat8) {
    auto px = session.render(8);
    const uint8_t* magenta = &px[(kMagentaY * kWidth + kMagentaX) * 4];
    EXPECT_GT(magenta[0], magenta[1] + 50) << "the magenta spot lands right of the white ball";
    EXPECT_GT(magenta[2], magenta[1] + 50);
    EXPECT_TRUE(golden(8, px));
}

TEST_F(ExampleGoldenTest, Beat16) {
    auto px = session.render(16);
    EXPECT_GT(brightness(px, kOpenX, kOpenY), 380) << "the noon sun lights the open ground";
    EXPECT_LT(brightness(px, kBallShadowX, kSpotY), brightness(px, kSpotRingX, kSpotY) - 300)
        << "the red ball shadows the spot light's pool";
    EXPECT_TRUE(golden(16, px));
}

// The occlusion pass rebuilds every pixel's eye position from depth with the camera's inverse
// projection: with it, the creases where the balls, boxes and posts meet the ground darken, and open
// ground (which nothing around it covers) keeps its light.
TEST_F(ExampleGoldenTest, OcclusionDarkensCreasesAndLeavesOpenGroundAlone) {
    SSAOEngine& occlusion = session.part->blitEngine()->ssao();
    const std::vector<uint8_t> with = session.render(16);
    const SSAOEngine::Params kept = occlusion.params;
    occlusion.params.attScale = 0.0f;
    occlusion.params.giScale = 0.0f;
    const std::vector<uint8_t> without = session.render(16);
    occlusion.params = kept;

    int openDarkening = 0;
    for (int y = kOpenY - 6; y <= kOpenY + 6; ++y)
        for (int x = kOpenX - 6; x <= kOpenX + 6; ++x)
            openDarkening = std::max(openDarkening, brightness(without, x, y) - brightness(with, x, y));
    EXPECT_LE(openDarkening, 9) << "open ground is not occluded";

    size_t darkened = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            darkened += brightness(without, x, y) - brightness(with, x, y) > 30 ? 1 : 0;
    EXPECT_GT(darkened, 150u) << "the creases around the objects darken";
    EXPECT_LT(darkened, size_t(kWidth * kHeight / 8)) << "only the creases darken, not the whole floor";
}

TEST_F(ExampleGoldenTest, Beat28) {
    auto px = session.render(28);
    EXPECT_TRUE(golden(28, px));
}

// The frame bench_frame counts, drawn with the checking mode off and on: the checking mode finds
// GL as the device believes and changes nothing that is sent (its reads of texture units select
// each unit, and are left out), so the calls the caches remove stay as many.
TEST_F(ExampleGoldenTest, CheckingFindsNoDifferenceAndChangesNothingSent) {
    ASSERT_TRUE(GlCallRecorder::wrapsDirectEntryPoints());
    session.renderOnly(8);
    std::vector<std::string> sent[2];
    unsigned long calls[2], removed[2];
    for (int checking = 0; checking < 2; ++checking) {
        session.device->setStateChecking(checking == 1);
        const unsigned long callsBefore = session.device->stateCallCount();
        const unsigned long removedBefore = session.device->stateCallsRemovedCount();
        GlCallRecorder rec;
        session.renderOnly(8);
        sent[checking] = rec.names();
        calls[checking] = session.device->stateCallCount() - callsBefore;
        removed[checking] = session.device->stateCallsRemovedCount() - removedBefore;
        sent[checking].erase(std::remove(sent[checking].begin(), sent[checking].end(), "glActiveTexture"),
                             sent[checking].end());
    }
    EXPECT_TRUE(session.device->stateChecking()) << "a difference was found (reported above)";
    session.device->setStateChecking(false);
    EXPECT_EQ(sent[0], sent[1]);
    EXPECT_EQ(calls[0], calls[1]);
    EXPECT_EQ(removed[0], removed[1]);
    EXPECT_GT(removed[0], 300u) << "the caches remove most state calls of the frame";
}

} // namespace
