// Each light kind alone on a plane with a box, at 320 x 180: the light accumulation buffer is
// compared with the pictures under tests/data/deferred/ (VORNDLE_UPDATE_GOLDENS=1 or `make goldens`
// rewrites them; failures leave pictures in deferred_failures/), and a few pixels are checked to
// be lit or dark, so a wrong picture cannot be accepted by accident.
#include "DeferredFixture.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "deferred/CascadedShadows.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/TextureCube.h"
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
#include "support/GlTest.h"
#include "support/GoldenImage.h"

namespace {

constexpr int kWidth = 320, kHeight = 180;

Ref<Texture> cubeTexture() {
    Ref<Texture> found = textureRegistry().find("test_cube");
    if (found)
        return found;
    Ref<TextureCube> cube = makeRef<TextureCube>();
    cube->create(1, 1, codes::formatCode("rgba_8"));
    cube->bind();
    const uint8_t faces[6][4] = {{255, 80, 80, 255},  {80, 255, 80, 255},  {80, 80, 255, 255},
                                 {255, 255, 80, 255}, {80, 255, 255, 255}, {255, 80, 255, 255}};
    for (int f = 0; f < 6; ++f)
        cube->uploadFace(f, faces[f]);
    TextureParams params;
    params.magFilter = params.minFilter = codes::kFilterNearest;
    params.wrapS = params.wrapT = params.wrapR = codes::kWrapEdge;
    cube->applyParams(params);
    cube->unbind();
    textureRegistry().insert("test_cube", cube);
    return cube;
}

class LightGoldenTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        std::string error;
        ASSERT_TRUE(deferred_resources::build(kWidth, kHeight, 256, &error)) << error;
        device = deferred_resources::device();
    }

    // Renders `light` (placed at `position`, turned by `rotation`) over a 12 x 12 plane with a
    // box, seen from above and in front; answers the light accumulation picture.
    std::vector<uint8_t> render(const Ref<Light>& light, Vec3 position, Vec3 rotation = Vec3()) {
        light->transform.flags |= NodeTransform::HasPosition | NodeTransform::HasRotation;
        light->transform.position = position;
        light->transform.rotation = rotation;
        Ref<Camera> camera;
        auto part = makeRef<CodeScene>([&] {
            Ref<Scene> scene = makeRef<Scene>();
            Ref<Group> root = makeRef<Group>();
            root->shadowCasterMask = 1; // a shadow walk enters only subtrees whose every ancestor casts
            scene->setRoot(root);
            camera = makeRef<Camera>();
            camera->transform.flags |= NodeTransform::HasPosition | NodeTransform::HasRotation;
            camera->transform.position = Vec3(0, 6, 10);
            camera->transform.rotation = Vec3(0, -0.5f, 0);
            camera->farZ = 60;
            attach<Node>(root.get(), camera);
            Node* material =
                attach<Node>(root.get(), makeRef<ProgramState>(programRegistry().find("materials/plain")));
            material->shadowCasterMask = 1;
            attach<Node>(material, makeRef<BoxDrawable>(Vec3(12, 0, 12)));
            Ref<BoxDrawable> box = makeRef<BoxDrawable>(Vec3(1.5f, 1.5f, 1.5f));
            box->transform.flags |= NodeTransform::HasPosition;
            box->transform.position = Vec3(-2, 0.75f, 1);
            box->shadowCasterMask = 1;
            attach<Node>(material, box);
            attach<Node>(root.get(), light);
            return scene;
        });
        Ref<LoadingScreen> none;
        EXPECT_TRUE(part->load(none));
        part->camera = camera;
        part->update(0, 0);
        if (light->kind() == KindAtmosphericalLight) {
            auto& sun = static_cast<AtmosphericalLight&>(*light);
            CascadedShadows shadows;
            EXPECT_TRUE(shadows.load(sun));
            part->setUpCamera(*device);
            shadows.update(*camera, sun, *part, device, float(kWidth) / kHeight, 0.8f);
        }
        part->render(device, 0, 0);
        return deferred_resources::readPixels("light_accumulation");
    }

    static int brightness(const std::vector<uint8_t>& rgba, int x, int y) {
        const uint8_t* p = &rgba[(size_t(y) * kWidth + size_t(x)) * 4];
        return p[0] + p[1] + p[2];
    }

    static ::testing::AssertionResult golden(const std::string& name, const std::vector<uint8_t>& rgba) {
        return matchesGoldenImage(VORNDLE_SOURCE_DIR "/tests/data/deferred", "deferred_failures", name,
                                  kWidth, kHeight, rgba);
    }

    Ref<Device> device;
};

// Screen points of the plane: in front of the camera (bottom middle), far behind on the left
// and right, and the centre.
constexpr int kNearX = 160, kNearY = 170, kFarLeftX = 100, kFarRightX = 220, kFarY = 70;

TEST_F(LightGoldenTest, Directional) {
    auto px = render(makeRef<DirectionalLight>(Vec3(0.9f, 0.85f, 0.8f)), Vec3(), Vec3(0.4f, -1.0f, 0));
    EXPECT_GT(brightness(px, kNearX, kNearY), 150) << "the whole plane is lit";
    EXPECT_GT(brightness(px, kFarLeftX, kFarY), 150);
    EXPECT_TRUE(golden("directional", px));
}

TEST_F(LightGoldenTest, Point) {
    auto px = render(makeRef<PointLight>(Vec3(4.5f, 3.6f, 2.4f), 5.0f), Vec3(3, 1.5f, 0));
    EXPECT_GT(brightness(px, 230, 120), 100) << "under the light";
    EXPECT_EQ(brightness(px, kFarLeftX, kFarY), 0) << "beyond its reach";
    EXPECT_TRUE(golden("point", px));
}

TEST_F(LightGoldenTest, Spot) {
    auto px = render(makeRef<SpotLight>(Vec3(5, 5, 4.5f), 8.0f, 0.45f, 0.15f), Vec3(1, 5, 0),
                     Vec3(0, 1.5707964f, 0));
    EXPECT_EQ(brightness(px, kNearX, kNearY), 0) << "outside the cone";
    EXPECT_EQ(brightness(px, kFarLeftX, kFarY), 0);
    EXPECT_TRUE(golden("spot", px));
}

TEST_F(LightGoldenTest, Area) {
    auto px = render(makeRef<AreaLight>(Vec3(0.6f, 1.2f, 0.6f), 5.0f), Vec3(2, 1.0f, 2));
    EXPECT_EQ(brightness(px, kFarLeftX, kFarY), 0);
    EXPECT_TRUE(golden("area", px));
}

TEST_F(LightGoldenTest, Linear) {
    auto px = render(makeRef<LinearLight>(Vec3(1.2f, 0.5f, 1.2f), 8.0f, 1.5f), Vec3(3, 0.4f, -4));
    EXPECT_EQ(brightness(px, kFarLeftX, kFarY), 0) << "far from the segment";
    EXPECT_TRUE(golden("linear", px));
}

TEST_F(LightGoldenTest, Cube) {
    auto px = render(makeRef<CubeLight>(Vec3(1.5f, 1.5f, 1.5f), cubeTexture(), 6.0f), Vec3(1, 2, 0));
    EXPECT_EQ(brightness(px, kFarLeftX, kFarY - 40), 0);
    EXPECT_TRUE(golden("cube", px));
}

TEST_F(LightGoldenTest, Ambient) {
    auto px = render(makeRef<AmbientLight>(Vec3(0.3f, 0.3f, 0.35f)), Vec3());
    EXPECT_NEAR(brightness(px, kFarLeftX, kFarY), brightness(px, kFarRightX, kFarY), 3)
        << "the same everywhere";
    EXPECT_GT(brightness(px, kNearX, kNearY), 0);
    EXPECT_TRUE(golden("ambient", px));
}

TEST_F(LightGoldenTest, Projective) {
    auto light = makeRef<ProjectiveLight>(Vec3(6, 6, 6), textureRegistry().find("projection"), 9.0f, 60.0f,
                                          0.6f, 0.1f);
    auto px = render(light, Vec3(0, 6, 0), Vec3(0, 1.5707964f, 0));
    EXPECT_EQ(brightness(px, kNearX, kNearY), 0) << "outside the projection";
    EXPECT_GT(brightness(px, 160, 100), 60) << "under the projector";
    EXPECT_TRUE(golden("projective", px));
}

TEST_F(LightGoldenTest, AtmosphericalWithCascadedShadows) {
    auto sun = makeRef<AtmosphericalLight>();
    Ref<AtmosphereModel> model = makeRef<AtmosphereModel>();
    model->setSunAngles(0.6f, 1.0f); // high in the sky, so the box shadows the plane in view
    sun->attach(*programRegistry().find("deferred/atmoslight_shadow"), model);
    sun->shadowCasterMask = 1;
    sun->castsShadow = true;
    auto px = render(sun, Vec3());
    EXPECT_GT(brightness(px, kNearX, kNearY), 60);
    EXPECT_TRUE(golden("atmospherical", px));
}

} // namespace
