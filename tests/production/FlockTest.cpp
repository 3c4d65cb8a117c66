// The windmill part's flock, loaded with the built data tree: skinned birds whose skeletons follow
// their paths round the mill, whose wings flap, and which the skinned material draws where the
// skeletons are.
#include "HeadlessVorndle.h"
#include "Vorndle.h"
#include "VorndleSceneTemplate.h"

#include "core/Paths.h"
#include "demo/Registries.h"
#include "demo/Timeline.h"
#include "math/Mat4.h"
#include "render/Framebuffer.h"
#include "scene/Camera.h"
#include "scene/Scene.h"
#include "scene/Skeleton.h"
#include "support/DemoTree.h"
#include "support/GlTest.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

// Where a bone's palette entry puts a point given in the mesh's rest space.
Vec3 skinned(const Skeleton& skeleton, int bone, const Vec3& rest) {
    return Mat4::transformPoint(skeleton.paletteEntry(skeleton.meshIndex()[size_t(bone)]), rest);
}

// A wing tip in the body's frame: where the flap alone has put it.
Vec3 tipAgainstBody(const Skeleton& skeleton, int wing, const Vec3& tip) {
    const Mat4 body = skeleton.paletteEntry(skeleton.meshIndex()[0]);
    const Mat4 bone = skeleton.paletteEntry(skeleton.meshIndex()[size_t(wing)]);
    return Mat4::transformPoint(Mat4::inverse(body) * bone, tip);
}

constexpr Vec3 kLeftTip = {0.45f, 0.018f, -0.1f}, kRightTip = {-0.45f, 0.018f, -0.1f};

class FlockTest : public GlTest {
protected:
    // Loads the production with the birds in the windmill scene (unless it holds them already) and
    // `extra` at the head of that scene.
    void load(const std::string& extra = "") {
        const std::string scene = tree.read("data/scenes/windmill.xml");
        if (scene.find("mesh=\"bird\"") == std::string::npos) {
            std::ifstream in(VORNDLE_SOURCE_DIR "/content/scenes/birds.xml");
            std::stringstream birds;
            birds << in.rdbuf();
            ASSERT_FALSE(birds.str().empty());
            tree.edit("data/scenes/windmill.xml", "</scene>", birds.str() + "</scene>");
        }
        if (!extra.empty())
            tree.edit("data/scenes/windmill.xml", "<scene>", "<scene>" + extra);
        setDemoRoot(tree.root());
        ASSERT_TRUE(app.load());
        auto it = Timeline::global().entries().begin();
        std::advance(it, 1);
        windmill = static_cast<VorndleSceneTemplate*>(it->part.get());
        ASSERT_EQ(windmill->partName, "windmill");
        ASSERT_GE(windmill->skeletons.size(), 5u);
        ASSERT_LE(windmill->skeletons.size(), 7u);
    }
    void TearDown() override {
        app.unload();
        setDemoRoot("");
        GlTest::TearDown();
    }
    const Skeleton& bird(size_t i) const { return static_cast<const Skeleton&>(*windmill->skeletons[i]); }

    DemoTree tree{VORNDLE_BINARY_DIR "/data"};
    HeadlessVorndle app{160, 90};
    VorndleSceneTemplate* windmill = nullptr;
};

} // namespace

TEST_F(FlockTest, BirdsCircleTheMillFacingTheirWayAndFlap) {
    load();
    for (size_t i = 0; i < windmill->skeletons.size(); ++i) {
        ASSERT_EQ(bird(i).boneCount(), 3) << bird(i).name;
        EXPECT_EQ(bird(i).mesh(), meshRegistry().find("bird")) << bird(i).name;
        EXPECT_EQ(bird(i).meshIndex().size(), 3u) << bird(i).name << ": matched to the mesh's bones";
    }

    struct Pose {
        Vec3 centre, ahead, leftTip, rightTip;
    };
    std::vector<Pose> before;
    int flapping = 0;
    for (float time : {150.0f, 150.05f, 190.0f, 190.05f}) {
        app.renderFrame(time, 1.0f / 60);
        EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR)) << time;
        std::vector<Pose> now;
        for (size_t i = 0; i < windmill->skeletons.size(); ++i) {
            const Skeleton& skeleton = bird(i);
            SCOPED_TRACE(skeleton.name + " at beat " + std::to_string(time));
            const Vec3 centre = skinned(skeleton, 0, Vec3());
            // The body's palette entry takes the rest-space bird to where its bone is now.
            const Mat4& bone = skeleton.bones()[0]->transform.world;
            EXPECT_LT((centre - Vec3(bone[3], bone[7], bone[11])).length(), 1e-3f);
            const float radius = std::hypot(centre.x, centre.z + 60.0f);
            EXPECT_GE(radius, 15.0f);
            EXPECT_LE(radius, 30.0f);
            EXPECT_GE(centre.y, 14.0f);
            EXPECT_LE(centre.y, 22.0f);
            const Pose pose = {centre, skinned(skeleton, 0, Vec3(0, 0, 1)) - centre,
                               tipAgainstBody(skeleton, 1, kLeftTip), tipAgainstBody(skeleton, 2, kRightTip)};
            // Flapping turns a wing about its shoulder: the tip stays a wing's length out and the
            // two wings mirror each other across the body.
            EXPECT_NEAR(pose.leftTip.length(), 0.46f, 0.03f);
            EXPECT_NEAR(pose.leftTip.x, -pose.rightTip.x, 1e-3f);
            EXPECT_NEAR(pose.leftTip.y, pose.rightTip.y, 1e-3f);
            now.push_back(pose);
        }
        if (time == 150.05f || time == 190.05f) {
            for (size_t i = 0; i < now.size(); ++i) {
                SCOPED_TRACE(bird(i).name + " at beat " + std::to_string(time));
                // Over a twentieth of a beat a bird moves along its beak, not sideways.
                const Vec3 moved = now[i].centre - before[i].centre;
                EXPECT_GT(moved.length(), 0.1f);
                EXPECT_GT(moved.normalized().dot(before[i].ahead), 0.95f) << "heading along the path";
                if ((now[i].leftTip - before[i].leftTip).length() > 0.02f)
                    ++flapping;
            }
        }
        before = now;
    }
    EXPECT_GT(flapping, 0) << "some wing moves against its body within a twentieth of a beat";
}

TEST_F(FlockTest, TheSkinnedMaterialDrawsABirdWhereItsSkeletonIs) {
    // A camera of our own, first in the scene so that the part's selection picks it; with a plain
    // transform its controller leaves the placement to us.
    load(R"(<camera name="watcher" fov="40" nearZ="0.1" farZ="500"><transform>)"
         R"(<position x="0" y="0" z="0"/><rotation h="0" p="0" b="0"/></transform></camera>)");
    const float time = 110.0f; // the part selects its first camera here
    app.renderFrame(time, 1.0f / 60);
    ASSERT_EQ(windmill->camera->name, "watcher");
    const Vec3 centre = skinned(bird(0), 0, Vec3());
    const Vec3 ahead = skinned(bird(0), 0, Vec3(0, 0, 1)) - centre;

    // From 2 m behind and below, looking up at the bird.
    const Vec3 eye = centre - ahead * 1.4f - Vec3(0, 1.5f, 0);
    const Vec3 look = (centre - eye).normalized();
    Camera& camera = static_cast<Camera&>(*windmill->camera);
    camera.transform.position = eye;
    camera.transform.rotation = Vec3(std::atan2(-look.x, -look.z), std::asin(look.y), 0);
    app.renderFrame(time, 1.0f / 60);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));

    // What the geometry pass left in the G-buffer: the depth and the albedo of every pixel.
    const Framebuffer& gBuffer = *windmill->gBuffer();
    const int w = gBuffer.width(), h = gBuffer.height();
    ASSERT_GT(w * h, 0);
    std::vector<float> depth(size_t(w) * size_t(h));
    std::vector<uint8_t> albedo(depth.size() * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gBuffer.glName());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_COLOR_ATTACHMENT4);
    glReadPixels(0, 0, w, h, GL_RED, GL_FLOAT, depth.data());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, albedo.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));

    // Within 10 m of the camera there is nothing but the bird (window depth 0.99 at 10 m).
    int near = 0, nearCentre = 0;
    float red = 0, blue = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            if (!(depth[i] < 0.99f))
                continue;
            ++near;
            nearCentre += std::abs(x - w / 2) <= 3 && std::abs(y - h / 2) <= 3;
            red += albedo[i * 4];
            blue += albedo[i * 4 + 2];
        }
    EXPECT_GT(near, w * h / 100) << "the bird covers part of the view";
    EXPECT_LT(near, w * h / 3) << "and only a part";
    EXPECT_GT(nearCentre, 0) << "its body at the middle, where its skeleton is";
    EXPECT_GT(blue, red) << "blue-black feathers, from the material's diffuse map";
    EXPECT_GT(red + blue, 2.0f * float(near)) << "not black: the texture coordinates reach the picture";
}
