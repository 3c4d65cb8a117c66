#include "DeferredFixture.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "deferred/CascadedShadows.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "render/Program.h"
#include "scene/Camera.h"
#include "scene/Group.h"
#include "support/GlCallRecorder.h"
#include "support/GlTest.h"

#include <cmath>

namespace {

TEST(CascadeSplits, ThreeQuartersLogarithmicOneQuarterUniformWithHalfAPercentOverlap) {
    float nears[4], fars[4];
    ASSERT_TRUE(CascadedShadows::computeSplits(1, 1024, nears, fars));
    const float expectedNear[4] = {1, 68.430f, 152.125f, 327.827f};
    const float expectedFar[4] = {68.772f, 152.886f, 329.466f, 1024};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(nears[i], expectedNear[i], 2e-3f) << i;
        EXPECT_NEAR(fars[i], expectedFar[i], 2e-3f) << i;
    }
    EXPECT_EQ(fars[3], 1024.0f) << "the last cascade ends exactly at the far distance";
    for (float bad : {std::nanf(""), 0.0f, -1.0f, INFINITY})
        EXPECT_FALSE(CascadedShadows::computeSplits(bad, 1024, nears, fars)) << bad;
    EXPECT_FALSE(CascadedShadows::computeSplits(10, 10, nears, fars));
}

TEST(CascadeFit, SunOverheadGivesTheHandComputedViewAndCrop) {
    Camera camera; // at the origin looking down -Z, 45 degrees, near 1, far 1024
    camera.update(0);
    CascadedShadows shadows;
    ASSERT_TRUE(shadows.fit(camera, Vec3(0, 1, 0), 1.0f));
    const ShadowCascade& c = shadows.cascades[0];
    // s = +Y, right = +X: a = s x right = -Z, b = a x s = +X.
    const float view[16] = {0, 0, -1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(c.lightView[i], view[i], 1e-6f) << i;
    // The slice from 1 to 68.772 with 60 degrees: light x = -z in [1, 68.772], light y = world x
    // and light z = world y, both within +-tan(30) x 68.772.
    const float half = std::tan(30.0f * 0.017453292f) * 68.77205f;
    EXPECT_NEAR(c.crop[0], 2.0f / (68.77205f - 1.0f), 1e-5f);
    EXPECT_NEAR(c.crop[5], 2.0f / (2.0f * half), 1e-5f);
    const float zWidth = 2.0f * half * 2.0f / (68.77205f - 1.0f);
    EXPECT_NEAR(c.crop[10], 1.0f / zWidth, 1e-4f);
    // Every slice corner lands inside the fitted volume, and the box touches its sides.
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    for (const Vec3& corner : c.sliceCorners) {
        const Vec3 p = Mat4::transformPoint(c.lightViewProjection, corner);
        const float v[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k)
            lo[k] = std::fmin(lo[k], v[k]), hi[k] = std::fmax(hi[k], v[k]);
    }
    EXPECT_NEAR(lo[0], -1, 1e-4f);
    EXPECT_NEAR(hi[0], 1, 1e-4f);
    EXPECT_NEAR(lo[1], -1, 1e-4f);
    EXPECT_NEAR(hi[1], 1, 1e-4f);
    EXPECT_NEAR(lo[2], 0, 1e-4f);
    EXPECT_NEAR(hi[2], 1, 1e-4f);
}

TEST(CascadeFit, SlicesFollowTheCameraAndNonsenseIsRefused) {
    Camera camera;
    camera.transform.flags |= NodeTransform::HasPosition | NodeTransform::HasRotation;
    camera.transform.position = Vec3(10, 2, 0);
    camera.transform.rotation = Vec3(1.5707964f, 0, 0); // heading: looking down -X
    camera.farZ = 100;
    camera.update(0);
    CascadedShadows shadows;
    ASSERT_TRUE(shadows.fit(camera, Vec3(0.3f, 1, 0.2f), 16.0f / 9.0f));
    for (const ShadowCascade& c : shadows.cascades)
        for (int k = 0; k < 8; ++k) {
            // Each corner sits in front of the camera, between the cascade's distances.
            const Vec3 v = Mat4::transformPoint(camera.view, c.sliceCorners[k]);
            EXPECT_NEAR(-v.z, k < 4 ? c.nearZ : c.farZ, 1e-3f * c.farZ);
        }
    EXPECT_FALSE(shadows.fit(camera, Vec3(0, 0, 0), 1.0f)) << "no sun direction";
    camera.nearZ = std::nanf("");
    EXPECT_FALSE(shadows.fit(camera, Vec3(0, 1, 0), 1.0f));
}

class ShadowPassTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        std::string error;
        ASSERT_TRUE(deferred_resources::build(64, 36, 64, &error)) << error;
        device = deferred_resources::device();
    }
    Ref<Device> device;
};

TEST_F(ShadowPassTest, CasterMaskKeepsANodeOutOfShadowPassesOnly) {
    Ref<ProgramState> caster, receiver;
    Ref<AtmosphericalLight> sun;
    Ref<Camera> camera;
    auto part = makeRef<CodeScene>([&] {
        Ref<Scene> scene = makeRef<Scene>();
        Ref<Group> root = makeRef<Group>();
        root->shadowCasterMask = ~0u;
        scene->setRoot(root);
        camera = makeRef<Camera>();
        camera->transform.flags |= NodeTransform::HasPosition;
        camera->transform.position = Vec3(0, 2, 10);
        camera->farZ = 50;
        attach<Node>(root.get(), camera);
        const Ref<Program> plain = programRegistry().find("materials/plain");
        caster = makeRef<ProgramState>(plain);
        caster->shadowCasterMask = 1;
        attach<Node>(attach<Node>(root.get(), caster), makeRef<BoxDrawable>(Vec3(1, 1, 1)));
        receiver = makeRef<ProgramState>(plain);
        receiver->shadowCasterMask = 0;
        attach<Node>(attach<Node>(root.get(), receiver), makeRef<BoxDrawable>(Vec3(8, 0, 8)));
        sun = makeRef<AtmosphericalLight>();
        sun->shadowCasterMask = 1;
        sun->castsShadow = true; // as the scene's template sets it before the lights are sorted
        sun->attach(*programRegistry().find("deferred/atmoslight_shadow"), makeRef<AtmosphereModel>());
        attach<Node>(root.get(), sun);
        return scene;
    });
    CascadedShadows shadows;
    Ref<LoadingScreen> none;
    ASSERT_TRUE(part->load(none));
    ASSERT_TRUE(shadows.load(*sun));
    part->camera = camera;
    part->update(0, 0);
    EXPECT_TRUE(sun->castsShadow);
    GlCallRecorder recorder;
    ASSERT_TRUE(part->setUpCamera(*device));
    shadows.update(*camera, *sun, *part, device, 16.0f / 9.0f, 0.75f);
    part->render(device, 0, 0);
    recorder.stop();
    EXPECT_EQ(shadows.passCount, 4);
    EXPECT_EQ(caster->appliedInShadow, 4) << "casters join every cascade";
    EXPECT_EQ(receiver->appliedInShadow, 0) << "mask 0: never in a shadow pass";
    EXPECT_EQ(caster->applied, 1);
    EXPECT_EQ(receiver->applied, 1) << "but drawn in the colour pass";
    EXPECT_FLOAT_EQ(sun->shadowIntensity, 0.75f);
    for (int i = 1; i < 4; ++i)
        EXPECT_GT(sun->cascadeDepths[i], sun->cascadeDepths[i - 1]);
    EXPECT_NEAR(sun->cascadeDepths[3], 1.0f, 1e-6f) << "the last cascade ends at the far plane";
    EXPECT_EQ(device->rasterizerCache().polygonOffsetEnabled, false) << "offset popped through the cache";
    size_t matrixUploads = 0;
    for (const std::string& call : recorder.calls())
        matrixUploads +=
            call.rfind("glUniformMatrix4fv", 0) == 0 && call.find(", 4, 1, ") != std::string::npos;
    EXPECT_EQ(matrixUploads, 1u) << "the four cascade matrices go up at once, transposed";
}

} // namespace
