#include "scene/Skeleton.h"
#include "SceneTestSupport.h"
#include "scene/Group.h"
#include "scene/Scene.h"

#include <string>
#include <vector>

namespace {

Ref<Mesh> skinnedMesh(std::vector<std::string> boneNames) {
    Ref<Mesh> mesh = makeRef<Mesh>();
    mesh->setName("data/models/arm.rmsh");
    mesh->setSkin(std::move(boneNames), {});
    return mesh;
}

Ref<SkeletonBone> bone(const char* name, const Vec3& restPosition) {
    Ref<SkeletonBone> b = makeRef<SkeletonBone>();
    b->name = name;
    b->restPosition = restPosition;
    return b;
}

const float kQuarter = 1.5707964f;

} // namespace

// A two-bone arm along +Y: "upper" at the skeleton's origin, "fore" 2 units up. The mesh lists
// the bones the other way round, so the palette slots come through meshIndex.
TEST(SkeletonTest, PaletteOfATwoBoneChainTurnedAQuarter) {
    Ref<Group> root = makeRef<Group>();
    Ref<Skeleton> skeleton = makeRef<Skeleton>(skinnedMesh({"fore", "upper"}));
    Ref<SkeletonBone> upper = bone("upper", {0, 0, 0}), fore = bone("fore", {0, 2, 0});
    Node::addChild(root.get(), skeleton.get());
    Node::addChild(skeleton.get(), upper.get());
    Node::addChild(upper.get(), fore.get());
    skeleton->attachBone(upper.get());
    skeleton->attachBone(fore.get());
    skeleton->attachBone(upper.get());
    ASSERT_EQ(skeleton->boneCount(), 2) << "a bone is listed once";

    ASSERT_TRUE(skeleton->matchBones());
    EXPECT_EQ(skeleton->meshIndex(), (std::vector<int32_t>{1, 0}));
    skeleton->bindRestPose();
    EXPECT_TRUE(matricesNear(fore->bindPose, Mat4::translation({0, 2, 0})));
    EXPECT_EQ(fore->transform.flags, 0x43u) << "bones follow their controllers again";

    Scene scene;
    scene.setRoot(root);
    scene.update(0);
    skeleton->updatePalette();
    EXPECT_TRUE(matricesNear(skeleton->paletteEntry(0), Mat4()));
    EXPECT_TRUE(matricesNear(skeleton->paletteEntry(1), Mat4())) << "the rest pose skins to identity";

    // Both joints bend a quarter turn about Z (bank).
    upper->transform.rotation = {0, 0, kQuarter};
    fore->transform.rotation = {0, 0, kQuarter};
    scene.update(1);
    skeleton->updatePalette();
    // By hand: the upper bone turns everything a quarter about the origin. The fore bone's joint
    // moves from (0, 2, 0) to (−2, 0, 0) and what hangs from it turns half a turn in all, so a
    // point p maps to Rz(180°)·(p − (0, 2, 0)) + (−2, 0, 0).
    const Mat4 upperSkin = Mat4::fromValues({0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const Mat4 foreSkin = Mat4::fromValues({-1, 0, 0, -2, 0, -1, 0, 2, 0, 0, 1, 0, 0, 0, 0, 1});
    EXPECT_TRUE(matricesNear(skeleton->paletteEntry(1), upperSkin, 1e-5f));
    EXPECT_TRUE(matricesNear(skeleton->paletteEntry(0), foreSkin, 1e-5f));
    EXPECT_TRUE(matricesNear(fore->skin, foreSkin, 1e-5f));
    const Vec3 tip = Mat4::transformPoint(skeleton->paletteEntry(0), {0, 4, 0});
    EXPECT_NEAR(tip.x, -2, 1e-5f);
    EXPECT_NEAR(tip.y, -2, 1e-5f);
    EXPECT_EQ(skeleton->paletteData(), skeleton->paletteEntry(0).m);
}

TEST(SkeletonTest, BindPosesAreRelativeToTheSkeleton) {
    Ref<Group> root = makeRef<Group>();
    root->transform.flags = NodeTransform::HasPosition;
    root->transform.position = {7, 0, 0};
    Ref<Skeleton> skeleton = makeRef<Skeleton>(skinnedMesh({"only"}));
    Ref<SkeletonBone> only = bone("only", {0, 1, 0});
    Node::addChild(root.get(), skeleton.get());
    Node::addChild(skeleton.get(), only.get());
    skeleton->attachBone(only.get());
    Scene scene;
    scene.setRoot(root);
    scene.update(0);
    ASSERT_TRUE(skeleton->matchBones());
    skeleton->bindRestPose();
    EXPECT_TRUE(matricesNear(only->bindPose, Mat4::translation({0, 1, 0}))) << "the group's move is left out";
    EXPECT_EQ(skeleton->parent(), root.get()) << "reattached";
}

TEST(SkeletonTest, BonesThatDoNotMatchTheMeshAreRefused) {
    struct Case {
        std::vector<std::string> meshBones;
        std::vector<const char*> bones;
        const char* reason;
    };
    const Case cases[] = {
        {{"a", "b"}, {"a"}, "the mesh has 2 bones, the skeleton 1"},
        {{"a", "b"}, {"a", "c"}, "no bone named \"c\""},
        {{"a", "b"}, {"a", "a"}, "two bones are named \"a\""},
    };
    for (const Case& c : cases) {
        Ref<Skeleton> skeleton = makeRef<Skeleton>(skinnedMesh(c.meshBones));
        std::vector<Ref<SkeletonBone>> bones;
        for (const char* name : c.bones) {
            bones.push_back(bone(name, {}));
            skeleton->attachBone(bones.back().get());
        }
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(skeleton->matchBones()) << c.reason;
        const std::string line = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(line.find(c.reason), std::string::npos) << line;
        EXPECT_NE(line.find("arm.rmsh"), std::string::npos) << line;
        skeleton->updatePalette(); // nothing matched: nothing to write, nothing to index
        EXPECT_TRUE(matricesNear(skeleton->paletteEntry(0), Mat4()));
    }
    Ref<Skeleton> meshless = makeRef<Skeleton>();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(meshless->matchBones());
    EXPECT_FALSE(::testing::internal::GetCapturedStderr().empty());
}

TEST(SkeletonTest, MoreBonesThanThePaletteHoldsAreRefused) {
    for (int count : {64, 65}) {
        std::vector<std::string> names;
        std::vector<Ref<SkeletonBone>> bones;
        Ref<Skeleton> skeleton = makeRef<Skeleton>();
        for (int i = 0; i < count; ++i) {
            names.push_back("bone" + std::to_string(i));
            bones.push_back(bone(names.back().c_str(), {}));
            skeleton->attachBone(bones.back().get());
        }
        skeleton->setMesh(skinnedMesh(names));
        ::testing::internal::CaptureStderr();
        const bool matched = skeleton->matchBones();
        const std::string line = ::testing::internal::GetCapturedStderr();
        if (count == 64) {
            EXPECT_TRUE(matched);
            EXPECT_TRUE(line.empty());
            EXPECT_EQ(skeleton->meshIndex().back(), 63);
        } else {
            EXPECT_FALSE(matched);
            EXPECT_NE(line.find("65 bones"), std::string::npos) << line;
            EXPECT_NE(line.find("64"), std::string::npos) << line;
        }
    }
}
