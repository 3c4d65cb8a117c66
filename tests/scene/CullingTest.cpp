#include "SceneTestSupport.h"
#include "scene/ArrayModel.h"
#include "scene/ViewVolume.h"

#include <cmath>

namespace {

// Every plane far away on its side except one: x >= 0 (a = 1, d = 0).
void onePlane(Vec4 (&planes)[6]) {
    planes[0] = Vec4(1, 0, 0, 0);
    for (int i = 1; i < 6; ++i)
        planes[i] = Vec4(0, 0, 0, 1e6f);
}

Ref<ArrayModel> boxAt(float x) {
    Ref<ArrayModel> model = makeRef<ArrayModel>(IndexBin());
    model->alwaysVisible = false;
    model->setBoundingBox(BoundingBox::fromCenterExtent({0, 0, 0}, {1, 1, 1}));
    model->transform.world = Mat4::translation({x, 0, 0});
    return model;
}

} // namespace

TEST(CullingTest, BoxAgainstOnePlane) {
    Vec4 planes[6];
    onePlane(planes);
    // The test is a sphere of radius 1.41 × the largest half extent around the box centre.
    EXPECT_TRUE(boxAt(5)->isVisible(planes)) << "wholly inside";
    EXPECT_TRUE(boxAt(0)->isVisible(planes)) << "straddling";
    EXPECT_TRUE(boxAt(-1.4f)->isVisible(planes)) << "just inside the sphere";
    EXPECT_FALSE(boxAt(-1.42f)->isVisible(planes)) << "just outside the sphere";
    EXPECT_FALSE(boxAt(-50)->isVisible(planes)) << "far outside";

    // The world matrix scales the box before the test: twice as large, it reaches back in.
    Ref<ArrayModel> scaled = boxAt(-2.5f);
    scaled->transform.world = Mat4::translation({-2.5f, 0, 0}) * Mat4::scaling({2, 0.5f, 0.5f});
    EXPECT_TRUE(scaled->isVisible(planes));
    // A turned box: the world box of the turned extents decides, here 3 along x.
    Ref<ArrayModel> turned = makeRef<ArrayModel>(IndexBin());
    turned->alwaysVisible = false;
    turned->setBoundingBox(BoundingBox::fromCenterExtent({0, 0, 0}, {0.1f, 3, 0.1f}));
    turned->transform.world = Mat4::translation({-4, 0, 0}) * Mat4::rotationZ(1.5707964f);
    EXPECT_TRUE(turned->isVisible(planes)) << "3 × 1.41 reaches x = 0 from −4";
    turned->transform.world = Mat4::translation({-4.3f, 0, 0}) * Mat4::rotationZ(1.5707964f);
    EXPECT_FALSE(turned->isVisible(planes));
}

TEST(CullingTest, UntouchedAndAlwaysVisibleDrawablesAreNeverCulled) {
    Vec4 planes[6];
    onePlane(planes);
    Ref<ArrayModel> model = boxAt(-50);
    model->alwaysVisible = true;
    EXPECT_TRUE(model->isVisible(planes));

    // A new drawable's box covers everything, even scaled up and seen from anywhere.
    Ref<ArrayModel> fresh = makeRef<ArrayModel>(IndexBin());
    EXPECT_FLOAT_EQ(fresh->boundingBox.halfExtent.x, 1.7014118e38f);
    EXPECT_FLOAT_EQ(fresh->boundingBox.radius, 1.41f * 1.7014118e38f);
    fresh->alwaysVisible = false;
    fresh->transform.world = Mat4::translation({-1e6f, 0, 0}) * Mat4::scaling({4, 4, 4});
    EXPECT_TRUE(fresh->isVisible(planes));
}

TEST(CullingTest, ViewVolumeOfAPerspective) {
    const Mat4 view = Mat4::lookAt({0, 0, 10}, {0, 0, 0}, {0, 1, 0});
    const Mat4 projection = Mat4::perspective(90, 1, 1, 100);
    ViewVolume volume;
    ASSERT_TRUE(ViewVolume::fromViewProjection(projection * view, volume));
    // The near plane faces −z from z = 9, the far one +z from z = −90.
    EXPECT_NEAR(volume.planes[4].z, -1, 1e-5f);
    EXPECT_NEAR(volume.planes[4].w, 9, 1e-4f);
    EXPECT_NEAR(volume.planes[5].z, 1, 1e-5f);
    EXPECT_NEAR(volume.planes[5].w, 90, 1e-3f);
    for (const Vec4& p : volume.planes)
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 1, 1e-5f) << "normalised";
    EXPECT_NEAR(volume.box.min.z, -90, 1e-2f);
    EXPECT_NEAR(volume.box.max.z, 9, 1e-4f);
    EXPECT_NEAR(volume.box.max.x, 100, 1e-2f) << "a 90° frustum is as wide at the far plane as that is far";
    EXPECT_NEAR(volume.corners[0].x, -1, 1e-4f) << "left, bottom, near";
    EXPECT_NEAR(volume.corners[0].z, 9, 1e-4f);

    Ref<ArrayModel> model = boxAt(0);
    model->transform.world = Mat4::translation({0, 0, -20});
    EXPECT_TRUE(model->isVisible(volume.planes));
    model->transform.world = Mat4::translation({0, 0, 20});
    EXPECT_FALSE(model->isVisible(volume.planes)) << "behind the eye";
    model->transform.world = Mat4::translation({40, 0, -20});
    EXPECT_FALSE(model->isVisible(volume.planes)) << "beside the frustum";

    ViewVolume untouched = volume;
    EXPECT_FALSE(ViewVolume::fromViewProjection(Mat4::zero(), untouched));
    EXPECT_EQ(untouched.planes[4].w, volume.planes[4].w);
}
