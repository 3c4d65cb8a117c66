#include "SceneTestSupport.h"
#include "scene/Camera.h"
#include "scene/Group.h"
#include "scene/ProjectiveLight.h"
#include "scene/Scene.h"
#include "scene/SpotLight.h"

#include <cmath>

TEST(CameraLightTest, ViewIsTheInverseLocalMatrixWhateverTheParentDoes) {
    Ref<Group> root = makeRef<Group>();
    Ref<Camera> camera = makeRef<Camera>();
    Node::addChild(root.get(), camera.get());
    camera->transform.flags = NodeTransform::HasPosition | NodeTransform::HasRotation;
    camera->transform.position = {3, 4, 5};
    camera->transform.rotation = {1.5707964f, 0, 0};

    Scene scene;
    scene.setRoot(root);
    scene.update(0);
    // By hand: the inverse of a rotation by a quarter turn about Y followed by a move to
    // (3, 4, 5) is the move back, then the opposite turn.
    const Mat4 expected = Mat4::rotationY(-1.5707964f) * Mat4::translation({-3, -4, -5});
    EXPECT_TRUE(matricesNear(camera->view, expected));
    const Vec3 eye = Mat4::transformPoint(camera->view, {3, 4, 5});
    EXPECT_NEAR(eye.x, 0, 1e-5f);
    EXPECT_NEAR(eye.z, 0, 1e-5f);

    root->transform.flags = NodeTransform::HasPosition;
    root->transform.position = {100, 0, 0};
    scene.update(1);
    EXPECT_TRUE(matricesNear(camera->view, expected)) << "the camera ignores the group above it";
    EXPECT_NEAR(camera->transform.worldPosition.x, 103, 1e-4f) << "though its world matrix follows";
}

TEST(CameraLightTest, ProjectionFromFieldOfViewAndAspect) {
    Camera camera;
    camera.fov = 60;
    camera.nearZ = 0.5f;
    camera.farZ = 100;
    ASSERT_TRUE(camera.updateProjection(2.0f));
    const float top = std::tan(30 * 0.017453292f) * 0.5f, right = top * 2;
    const float n = 0.5f, f = 100;
    const Mat4 expected = Mat4::fromValues(
        {n / right, 0, 0, 0, 0, n / top, 0, 0, 0, 0, -(f + n) / (f - n), -2 * f * n / (f - n), 0, 0, -1, 0});
    EXPECT_TRUE(matricesNear(camera.projection, expected));

    // Values that describe no frustum leave the last projection in place.
    const Mat4 before = camera.projection;
    EXPECT_FALSE(camera.updateProjection(0));
    EXPECT_FALSE(camera.updateProjection(-1));
    camera.farZ = camera.nearZ;
    EXPECT_FALSE(camera.updateProjection(1));
    camera.farZ = 100;
    camera.nearZ = 0;
    EXPECT_FALSE(camera.updateProjection(1));
    EXPECT_EQ(camera.projection, before);
}

TEST(CameraLightTest, SpotLightKeepsCosinesOfItsAngles) {
    SpotLight spot(Vec3(1, 1, 1), 3, 0.5f, 0.1f);
    EXPECT_FLOAT_EQ(spot.cosCone, std::cos(0.5f));
    EXPECT_FLOAT_EQ(spot.cosEdge, std::cos(0.4f));
    EXPECT_TRUE(isLightKind(KindAtmosphericalLight));
    EXPECT_FALSE(isLightKind(KindCamera));
}

TEST(CameraLightTest, ProjectionTextureMatrix) {
    ProjectiveLight light(Vec3(1, 1, 1), nullptr, 10, 90, 0.5f, 0.1f, 1.5f);
    light.transform.world = Mat4::translation({0, 0, 5}) * Mat4::rotationY(0.3f);
    const Mat4 view = Mat4::lookAt({1, 2, 10}, {0, 0, 0}, {0, 1, 0});
    ASSERT_TRUE(light.updateProjectionTextureMatrix(view));
    const Mat4 bias =
        Mat4::fromValues({0.25f, 0, 0, 0.5f, 0, -0.25f, 0, 0.5f, 0, 0, 0.25f, 0.5f, 0, 0, 0, 1});
    const Mat4 expected =
        bias * Mat4::perspective(90, 1.5f, 1, 11) * Mat4::inverse(view * light.transform.world);
    EXPECT_TRUE(matricesNear(light.projectionTextureMatrix, expected));

    // A radius whose far plane does not pass the near one gives no projection.
    light.radius = 0.5f;
    EXPECT_FALSE(light.updateProjectionTextureMatrix(view));
    EXPECT_TRUE(matricesNear(light.projectionTextureMatrix, expected)) << "left as it was";
    light.radius = 10;
    light.aspect = 0;
    EXPECT_FALSE(light.updateProjectionTextureMatrix(view));
}
