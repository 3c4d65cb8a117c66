#include "DeferredFixture.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "core/Diagnostics.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
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
#include "support/GlCallRecorder.h"
#include "support/GlTest.h"

#include <cstring>

namespace {

class LightPassTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        std::string error;
        ASSERT_TRUE(deferred_resources::build(64, 36, 64, &error)) << error;
        device = deferred_resources::device();
    }

    // A scene with a camera at `eye` looking down -Z, a box on a ground plane, and `lights`.
    Ref<CodeScene> makePart(std::vector<Ref<Light>> lights, Vec3 eye = Vec3(0, 0, 0)) {
        auto part = makeRef<CodeScene>([this, lights, eye] {
            Ref<Scene> scene = makeRef<Scene>();
            Ref<Group> root = makeRef<Group>();
            scene->setRoot(root);
            Ref<Camera> cam = makeRef<Camera>();
            cam->transform.flags |= NodeTransform::HasPosition;
            cam->transform.position = eye;
            cam->farZ = 100;
            attach<Node>(root.get(), cam);
            camera = cam;
            Node* material =
                attach<Node>(root.get(), makeRef<ProgramState>(programRegistry().find("materials/plain")));
            attach<Node>(material, makeRef<BoxDrawable>(Vec3(2, 2, 2)));
            for (const Ref<Light>& light : lights)
                attach<Node>(root.get(), light);
            return scene;
        });
        Ref<LoadingScreen> none;
        if (!part->load(none))
            return nullptr;
        part->camera = camera;
        part->update(0, 0);
        return part;
    }

    static Ref<Light> point(bool shadow, const char* name = "") {
        Ref<PointLight> light = makeRef<PointLight>(Vec3(1, 1, 1), 5.0f, 0.5f);
        light->castsShadow = shadow;
        light->name = name;
        return light;
    }

    // The (first, count) of every GL_POINTS draw, in order.
    static std::vector<std::pair<int, int>> pointDraws(const GlCallRecorder& recorder) {
        std::vector<std::pair<int, int>> draws;
        for (const std::string& call : recorder.calls()) {
            int first = 0, count = 0;
            if (std::sscanf(call.c_str(), "glDrawArrays(0, %d, %d)", &first, &count) == 2)
                draws.push_back({first, count});
        }
        return draws;
    }

    Ref<Device> device;
    Ref<Camera> camera;
};

TEST_F(LightPassTest, LightsAreSortedByTypeWithShadowlessFirstAndTypeRangesFollow) {
    Ref<Light> spot = makeRef<SpotLight>(Vec3(1, 1, 1));
    spot->castsShadow = true;
    Ref<Light> a = point(true, "a"), b = point(false, "b"), c = point(false, "c");
    Ref<Light> ambient = makeRef<AmbientLight>(Vec3(0.1f, 0.1f, 0.1f));
    Ref<Light> sun = makeRef<DirectionalLight>(Vec3(1, 1, 1));
    Ref<CodeScene> part = makePart({spot, a, b, ambient, c, sun});
    ASSERT_TRUE(part);
    const std::vector<Light*>& lights = part->lights();
    ASSERT_EQ(lights.size(), 6u);
    EXPECT_EQ(lights[0], sun.get());
    EXPECT_EQ(lights[1], b.get()) << "shadowless point lights first, in walk order";
    EXPECT_EQ(lights[2], c.get());
    EXPECT_EQ(lights[3], a.get());
    EXPECT_EQ(lights[4], spot.get());
    EXPECT_EQ(lights[5], ambient.get());
    const int32_t starts[10] = {0, 1, 4, 5, 5, 5, 5, 6, 6, 6};
    const int32_t shadowed[9] = {-1, 2, 0, -1, -1, -1, -1, -1, -1};
    for (int t = 0; t < 10; ++t)
        EXPECT_EQ(part->lightTypeStart()[t], starts[t]) << "type " << t;
    for (int t = 0; t < 9; ++t)
        EXPECT_EQ(part->firstShadowed()[t], shadowed[t]) << "type " << t;
}

TEST_F(LightPassTest, RecordsHoldEachFieldAtItsByteOffset) {
    Ref<SpotLight> spot = makeRef<SpotLight>(Vec3(1, 0.5f, 0.25f), 7.0f, 0.6f, 0.2f);
    spot->intensity = 2;
    spot->transform.flags |= NodeTransform::HasPosition | NodeTransform::HasRotation;
    spot->transform.position = Vec3(1, 2, -3);
    spot->transform.rotation = Vec3(0, 1.5707964f, 0); // +Z turned to -Y: shining down
    Ref<AreaLight> area = makeRef<AreaLight>(Vec3(0, 1, 0), 3.0f);
    Ref<LinearLight> line = makeRef<LinearLight>(Vec3(1, 1, 1), 4.0f, 0.5f);
    line->transform.flags |= NodeTransform::HasPosition;
    line->transform.position = Vec3(0, 1, 0);
    Ref<DirectionalLight> sun = makeRef<DirectionalLight>(Vec3(1, 1, 1));
    sun->transform.flags |= NodeTransform::HasRotation;
    sun->transform.rotation = Vec3(0, -1.5707964f, 0); // +Z turned to +Y
    Ref<CodeScene> part = makePart({spot, area, line, sun}, Vec3(0, 0, 5));
    ASSERT_TRUE(part);
    part->render(device, 0, 0);
    std::vector<LightRecord> records = deferred_resources::readRecords(*part);
    ASSERT_EQ(records.size(), 4u);
    auto at = [&](int light, int offset, int i) {
        float v;
        std::memcpy(&v, reinterpret_cast<const char*>(&records[light]) + offset + 4 * i, 4);
        return v;
    };
    // Order: directional, spot, area, linear. The camera sits at (0, 0, 5) looking down -Z.
    EXPECT_NEAR(at(0, 0, 1), 1.0f, 1e-5f) << "directional: world-space direction";
    EXPECT_NEAR(at(0, 12, 2), 1.0f, 1e-6f);
    EXPECT_NEAR(at(1, 0, 0), 1.0f, 1e-5f) << "spot: view-space position";
    EXPECT_NEAR(at(1, 0, 1), 2.0f, 1e-5f);
    EXPECT_NEAR(at(1, 0, 2), -8.0f, 1e-5f);
    EXPECT_NEAR(at(1, 12, 0), std::cos(0.6f), 1e-6f);
    EXPECT_NEAR(at(1, 12, 1), std::cos(0.4f), 1e-6f);
    EXPECT_NEAR(at(1, 12, 2), 7.0f, 1e-6f);
    EXPECT_NEAR(at(1, 24, 0), 2.0f, 1e-6f) << "colour times intensity";
    EXPECT_NEAR(at(1, 24, 1), 1.0f, 1e-6f);
    EXPECT_NEAR(at(1, 24, 2), 0.5f, 1e-6f);
    EXPECT_NEAR(at(1, 36, 1), -1.0f, 1e-5f) << "spot: view-space axis";
    EXPECT_NEAR(at(2, 12, 0), 3.0f, 1e-6f);
    EXPECT_NEAR(at(2, 36, 1), -1.0f, 1e-5f) << "area writes no vector: the spot's repeats";
    EXPECT_NEAR(at(3, 12, 1), 0.5f, 1e-6f) << "linear: (radius, width, 0)";
    EXPECT_NEAR(at(3, 36, 1), 1.0f, 1e-5f) << "linear: view-space far end";
    EXPECT_NEAR(at(3, 36, 2), -1.0f, 1e-5f);
}

TEST_F(LightPassTest, BatchedTypesDrawOnceAndPerLightTypesDrawEachLight) {
    Ref<Light> cube = makeRef<CubeLight>(Vec3(1, 1, 1), nullptr, 3.0f);
    Ref<CodeScene> part =
        makePart({point(false), point(true), point(false), makeRef<DirectionalLight>(Vec3(1, 1, 1)),
                  makeRef<DirectionalLight>(Vec3(1, 1, 1)), cube});
    ASSERT_TRUE(part);
    part->lightParticles = true;
    GlCallRecorder recorder;
    part->render(device, 0, 0);
    recorder.stop();
    const std::vector<std::pair<int, int>> expected = {{0, 2}, {2, 2}, {4, 1}, {5, 1}, {2, 3}};
    EXPECT_EQ(pointDraws(recorder), expected)
        << "directional once, two shadowless points at once, the shadowed one alone, the cube alone, "
           "then the particles over every point light";
    EXPECT_EQ(part->afterLights, 1);
    EXPECT_EQ(part->extras, 0) << "no decals pass unless asked for";
}

TEST_F(LightPassTest, DecalsPassWritesDiffuseAndNormalOnlyThenRestoresTheAttachments) {
    Ref<CodeScene> part = makePart({point(false)});
    ASSERT_TRUE(part);
    part->decals = true;
    GlCallRecorder recorder;
    part->render(device, 0, 0);
    recorder.stop();
    EXPECT_EQ(part->extras, 1);
    std::vector<std::string> drawBuffers;
    for (const std::string& call : recorder.calls())
        if (call.rfind("glDrawBuffers(", 0) == 0)
            drawBuffers.push_back(call);
    ASSERT_GE(drawBuffers.size(), 3u);
    EXPECT_EQ(drawBuffers[1], "glDrawBuffers(2, ptr)") << "attachments 0 and 2 for the decals";
    EXPECT_EQ(drawBuffers[2], "glDrawBuffers(5, ptr)") << "then the G-buffer's own list again";
    EXPECT_FALSE(device->rasterizerCache().polygonOffsetEnabled);
}

TEST_F(LightPassTest, TypeWhoseLightsAllCastShadowsDrawsOnlyWithTheShadowProgram) {
    Ref<CodeScene> part = makePart({point(true), point(true)});
    ASSERT_TRUE(part);
    GlCallRecorder recorder;
    part->render(device, 0, 0);
    recorder.stop();
    const std::vector<std::pair<int, int>> expected = {{0, 1}, {1, 1}};
    EXPECT_EQ(pointDraws(recorder), expected);
    const std::string useShadow =
        glCall("glUseProgram", programRegistry().find("deferred/pointlight_shadow")->glName());
    const std::string useSpot =
        glCall("glUseProgram", programRegistry().find("deferred/spotlight")->glName());
    size_t shadowBinds = 0, spotBinds = 0;
    for (const std::string& call : recorder.calls())
        shadowBinds += call == useShadow, spotBinds += call == useSpot;
    EXPECT_GE(shadowBinds, 1u);
    EXPECT_EQ(spotBinds, 0u) << "absent types bind nothing";
}

TEST_F(LightPassTest, DisabledShadowedSpotIsSkippedButOtherDisabledLightsStillShine) {
    Ref<Light> spot = makeRef<SpotLight>(Vec3(1, 1, 1));
    spot->castsShadow = true;
    spot->enabled = false;
    Ref<Light> dark = point(false);
    dark->enabled = false;
    Ref<CodeScene> part = makePart({spot, dark});
    ASSERT_TRUE(part);
    GlCallRecorder recorder;
    part->render(device, 0, 0);
    recorder.stop();
    const std::vector<std::pair<int, int>> expected = {{0, 1}};
    EXPECT_EQ(pointDraws(recorder), expected);
}

TEST_F(LightPassTest, LoadFailsWithoutLightsWithTooManyLightsAndWithoutARealGBuffer) {
    EXPECT_FALSE(makePart({}));
    std::vector<Ref<Light>> many;
    for (int i = 0; i <= DeferredScene::kMaxLights; ++i)
        many.push_back(makeRef<AmbientLight>(Vec3(0, 0, 0)));
    const unsigned before = diagnosticCount();
    EXPECT_FALSE(makePart(many));
    EXPECT_EQ(diagnosticCount(), before + 1);

    Ref<Framebuffer> real = framebufferRegistry().find("gbuffer");
    framebufferRegistry().remove("gbuffer");
    framebufferRegistry().insert("gbuffer", makeRef<Framebuffer>());
    const unsigned said = diagnosticCount();
    EXPECT_FALSE(makePart({point(false)})) << "a 0x0 G-buffer";
    EXPECT_EQ(diagnosticCount(), said + 1);
    framebufferRegistry().remove("gbuffer");
    framebufferRegistry().insert("gbuffer", real);
}

TEST_F(LightPassTest, ProjectionFollowsTheGBufferAndPublishesItsCoefficients) {
    Ref<CodeScene> part = makePart({point(false)});
    ASSERT_TRUE(part);
    part->render(device, 0, 0);
    const Mat4 expected = Mat4::perspective(camera->fov, 64.0f / 36.0f, camera->nearZ, camera->farZ);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(camera->projection[i], expected[i], 1e-6f);
    const Mat4 inverse = Mat4::inverse(expected);
    const int elements[5] = {0, 5, 11, 14, 15};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(part->projectionCoefficients()[i], inverse[elements[i]], 1e-6f);
    EXPECT_FLOAT_EQ(part->inverseTargetSize()[0], 1.0f / 64.0f);
    EXPECT_FLOAT_EQ(part->inverseTargetSize()[1], 1.0f / 36.0f);
}

} // namespace
