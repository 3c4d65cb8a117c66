// The production with a GL context: live material values, and the whole load of the built data
// tree at a small size with a few frames of each part.
#include "HeadlessVorndle.h"
#include "Vorndle.h"
#include "VorndleSceneLoaderHandler.h"
#include "VorndleSceneTemplate.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "core/Paths.h"
#include "deferred/CascadedShadows.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "demo/Timeline.h"
#include "post/BlitEngine.h"
#include "post/MotionBlurEngine.h"
#include "render/Device.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "render/Texture1D.h"
#include "render/Texture2D.h"
#include "render/Uniforms.h"
#include "render/UniformsBuilder.h"
#include "scene/Camera.h"
#include "scene/Envelope.h"
#include "scene/Node.h"
#include "support/DemoTree.h"
#include "support/GlTest.h"

#include <GL/glew.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr const char* kVertex = R"(#version 430 core
in vec3 POSITION;
void main() { gl_Position = vec4(POSITION, 1.0); }
)";
constexpr const char* kFragment = R"(#version 430 core
uniform float time;
uniform float smoothness[4];
uniform vec4 sphere;
out vec4 colour;
void main() { colour = vec4(time + smoothness[3]) + sphere; }
)";

class LiveValuesTest : public GlTest {};

class ProductionLoadTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        setDemoRoot(tree.root());
    }
    void TearDown() override {
        app.unload();
        setDemoRoot("");
        GlTest::TearDown();
    }
    VorndleSceneTemplate& part(int index) {
        auto it = Timeline::global().entries().begin();
        std::advance(it, index);
        return static_cast<VorndleSceneTemplate&>(*it->part);
    }

    DemoTree tree{VORNDLE_BINARY_DIR "/data"};
    HeadlessVorndle app;
};

} // namespace

TEST_F(LiveValuesTest, UniformsNamingProductionValuesFollowThemEveryApply) {
    Ref<Program> program = makeRef<Program>("live");
    program->setStage(0, makeRef<Shader>("live.vert", kVertex, kVertex, 0));
    program->setStage(1, makeRef<Shader>("live.frag", kFragment, kFragment, 1));
    ASSERT_TRUE(program->link(nullptr, 0, 0));

    VorndleSceneTemplate values("intro", "intro.xml");
    VorndleSceneLoaderHandler handler;
    values.registerValues(handler);
    UniformsBuilder builder(program);
    builder.begin();
    EXPECT_TRUE(handler.setUniform(builder, "time", "time"));
    EXPECT_TRUE(handler.setUniform(builder, "smoothness", "terrain.smooth"));
    EXPECT_TRUE(handler.setUniform(builder, "sphere", "EmissionSphere"));
    EXPECT_FALSE(handler.setUniform(builder, "time", "production.unknown")) << "not ours: ignored";
    ASSERT_EQ(builder.uniforms()->states().size(), 3u);

    auto read = [&](const char* name) {
        float v[4] = {};
        glGetUniformfv(program->glName(), glGetUniformLocation(program->glName(), name), v);
        return std::vector<float>(v, v + 4);
    };
    program->use();
    values.currentTime = 12.5f;
    values.materialSmoothness[3] = 0.75f;
    builder.uniforms()->applyAll();
    EXPECT_EQ(read("time")[0], 12.5f);
    EXPECT_EQ(read("smoothness[3]")[0], 0.75f);
    EXPECT_EQ(read("sphere"), (std::vector<float>{0, 0, 0, 4}));
    values.currentTime = 13.0f;
    values.emissionSphere[3] = 5.0f;
    builder.uniforms()->applyAll();
    EXPECT_EQ(read("time")[0], 13.0f) << "the value is read at every apply";
    EXPECT_EQ(read("sphere")[3], 5.0f);
    program->unuse();
}

TEST_F(ProductionLoadTest, LoadsEveryPartAndDrivesTheSkyAndPostFromEnvelopes) {
    ASSERT_TRUE(app.load());
    ASSERT_EQ(Timeline::global().count(), 3u);
    Ref<Texture1D> gradient = refCast<Texture1D>(textureRegistry().find("hos_gradient"));
    ASSERT_TRUE(gradient);
    EXPECT_EQ(gradient->width(), 256);
    Ref<Texture2D> normals = refCast<Texture2D>(textureRegistry().find("random_normals"));
    ASSERT_TRUE(normals);
    EXPECT_EQ(normals->width(), 32);

    for (int i = 0; i < 3; ++i) {
        VorndleSceneTemplate& p = part(i);
        EXPECT_TRUE(p.sunLight) << p.partName;
        EXPECT_TRUE(p.atmosphereModel) << p.partName;
        EXPECT_TRUE(p.shadows) << p.partName << ": the sun casts cascaded shadows";
        EXPECT_FALSE(p.cameras.empty()) << p.partName;
        ASSERT_TRUE(p.blitEngine()) << p.partName;
        EXPECT_NEAR(p.aspect, 320.0f / 180.0f, 1e-5f);
    }

    // Before dawn the sun is below the horizon: it gives no light, and its cascades wait.
    VorndleSceneTemplate& intro = part(0);
    app.renderFrame(20.0f, 1.0f / 60);
    EXPECT_EQ(intro.atmosphereModel->sunColour.x, 0.0f);
    EXPECT_EQ(intro.shadows->passCount, 0) << "no cascades for a sun under the horizon";

    // A frame of the risen sun: the sky follows the time-of-day envelope, the clouds drift.
    const float drift = intro.cloudOffsets[1];
    app.renderFrame(90.0f, 0.5f);
    EXPECT_EQ(intro.currentTime, 90.0f);
    EXPECT_FLOAT_EQ(intro.atmosphereModel->timeOfDay, intro.timeOfDay->evaluate(90.0f));
    EXPECT_FLOAT_EQ(intro.cloudOffsets[1], drift + 0.5f * 0.015f);
    EXPECT_GT(intro.shadows->passCount, 0) << "the cascades were rendered";
    const AtmosphericalLight& sun = static_cast<const AtmosphericalLight&>(*intro.sunLight);
    EXPECT_GT(sun.cascadeDepths[0], 0.0f) << "split by this frame's projection, on the first frame too";
    EXPECT_LT(sun.cascadeDepths[0], sun.cascadeDepths[3]);
    const int mode = VorndleSceneTemplate::effectMode(intro.effectModeEnvelope->evaluate(90.0f));
    EXPECT_EQ(intro.blitEngine()->effects[BlitEngine::kFlagGlow], mode == 1);
    EXPECT_EQ(intro.blitEngine()->effects[BlitEngine::kFlagRadialBlur], mode == 2);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));

    app.renderFrame(150.0f, 1.0f / 60);
    EXPECT_EQ(part(1).currentTime, 150.0f);
    BlitEngine& windmillPost = *part(1).blitEngine();
    ASSERT_GT(windmillPost.passCounts[BlitEngine::kAmbientOcclusion], 0);
    EXPECT_EQ(windmillPost.permutation(), BlitEngine::permutationFor(windmillPost.effects))
        << "the composite's colour comes out of the occlusion pass: occlusion is applied once";
    app.renderFrame(250.0f, 1.0f / 60);
    EXPECT_EQ(part(2).currentTime, 250.0f);
    EXPECT_EQ(app.quits, 0);
    app.renderFrame(264.0f, 1.0f / 60);
    EXPECT_EQ(app.quits, 1) << "the demo ends at beat 264";
}

TEST_F(ProductionLoadTest, SpecialNodesAreCollectedAndDrawnOnlyInTheirPasses) {
    // The windmill gets more enabled decals, an after-light alpha node and an additive one; the
    // outro's decals (the path) are switched off.
    const std::string extras = R"(<group name="decals"/><group name="postlighting"/>)"
                               R"(<group name="particlesystem"/><group name="EmissionSphere">)"
                               R"(<transform><position x="1" y="2" z="3"/></transform></group></scene>)";
    tree.edit("data/scenes/windmill.xml", "</scene>", extras);
    tree.edit("data/scenes/outro.xml", R"(<group name="decals">)", R"(<group name="decals" disabled="yes">)");
    ASSERT_TRUE(app.load());
    VorndleSceneTemplate& windmill = part(1);
    // Every node of those names is collected, the scene's own (the path, chimney smoke) and ours.
    const std::string scene = tree.read("data/scenes/windmill.xml");
    auto named = [&](const std::string& name) {
        size_t count = 0;
        for (size_t at = 0; (at = scene.find("name=\"" + name + "\"", at)) != std::string::npos; ++at)
            ++count;
        return count;
    };
    ASSERT_EQ(windmill.decalNodes.size(), named("decals"));
    EXPECT_TRUE(windmill.decals) << "an enabled decal node turns the decal pass on";
    for (const Ref<Node>& node : windmill.decalNodes)
        EXPECT_FALSE(node->enabled) << "drawn only in the decal pass, never with the opaque geometry";
    ASSERT_EQ(windmill.alphaNodes.size(), named("postlighting"));
    ASSERT_EQ(windmill.additiveNodes.size(), named("particlesystem"));
    for (const Ref<Node>& node : windmill.alphaNodes)
        EXPECT_FALSE(node->enabled) << "drawn only after the lights";
    for (const Ref<Node>& node : windmill.additiveNodes)
        EXPECT_FALSE(node->enabled);
    EXPECT_FALSE(part(2).decals) << "every decal node disabled: the pass stays off";

    app.renderFrame(150.0f, 1.0f / 60);
    EXPECT_FALSE(windmill.alphaNodes[0]->enabled) << "enabled for its own draw, then off again";
    EXPECT_FALSE(windmill.decalNodes[0]->enabled);
    EXPECT_EQ(windmill.emissionSphere[0], 1.0f);
    EXPECT_EQ(windmill.emissionSphere[2], 3.0f);
    EXPECT_EQ(windmill.emissionSphere[3], 5.0f) << "5 once the node is found";
    EXPECT_EQ(part(0).emissionSphere[3], 4.0f) << "no node: the default stays";
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
}

TEST_F(ProductionLoadTest, MotionBlurStartsAfreshAtACameraCut) {
    ASSERT_TRUE(app.load());
    VorndleSceneTemplate& windmill = part(1);
    BlitEngine* blit = windmill.blitEngine();
    ASSERT_TRUE(blit && blit->engine(BlitEngine::kMotionBlur));
    // The state file cuts from the farm to the sails at beat 138.
    app.renderFrame(137.9f, 1.0f / 60);
    const Ref<Node> before = windmill.camera;
    app.renderFrame(138.0f, 1.0f / 60);
    ASSERT_NE(windmill.camera, before) << "a cut at beat 138";
    const Camera& cam = static_cast<const Camera&>(*windmill.camera);
    const Mat4 still = cam.projection * cam.view;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(blit->motionBlur().previousMatrix.m[i], still.m[i], 1e-4f)
            << "the frame after a cut blurs nothing: the previous view is the new camera's";
    // Within a shot the previous view is the last frame's, so a moving camera blurs.
    app.renderFrame(139.0f, 1.0f / 60);
    const Mat4 moved = cam.projection * cam.view;
    float difference = 0;
    for (int i = 0; i < 16; ++i)
        difference += std::fabs(blit->motionBlur().previousMatrix.m[i] - moved.m[i]);
    EXPECT_GT(difference, 1e-4f);
}
