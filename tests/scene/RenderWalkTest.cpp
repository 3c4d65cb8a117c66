#include "SceneTestSupport.h"
#include "render/Device.h"
#include "render/Gl.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "render/StateSet.h"
#include "render/UniformBuffer.h"
#include "render/UniformState.h"
#include "render/Uniforms.h"
#include "scene/ArrayModel.h"
#include "scene/EnableController.h"
#include "scene/Group.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/SubModel.h"
#include "scene/VAOModel.h"
#include "support/GlCallRecorder.h"
#include "support/GlTest.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* kVertex = R"(#version 430 core
uniform mat4 ModelViewProjectionMatrix;
uniform mat4 WorldMatrix;
uniform mat3 NormalMatrix;
in vec3 POSITION;
in vec3 NORMAL;
out vec3 normal;
void main() {
    normal = NormalMatrix * NORMAL;
    gl_Position = ModelViewProjectionMatrix * WorldMatrix * vec4(POSITION, 1.0);
}
)";
constexpr const char* kFragment = R"(#version 430 core
in vec3 normal;
out vec4 color;
void main() { color = vec4(normal, 1.0); }
)";

Ref<Program> linkProgram(const char* name) {
    Ref<Program> program = makeRef<Program>(name);
    program->setStage(0, makeRef<Shader>(std::string(name) + ".vert", kVertex, kVertex, 0));
    program->setStage(1, makeRef<Shader>(std::string(name) + ".frag", kFragment, kFragment, 1));
    return program->link(nullptr, 0, 0) ? program : nullptr;
}

Ref<ArrayModel> drawable(uint32_t first, const Vec3& at) {
    IndexBin bin;
    bin.first = first;
    bin.count = 3;
    Ref<ArrayModel> model = makeRef<ArrayModel>(bin);
    model->alwaysVisible = false;
    model->setBoundingBox(BoundingBox::fromCenterExtent({0, 0, 0}, {1, 1, 1}));
    model->transform.flags = NodeTransform::HasPosition;
    model->transform.position = at;
    return model;
}

// Position of the first call with this text at or after `from`, or −1.
long find(const std::vector<std::string>& calls, const std::string& call, size_t from = 0) {
    auto it = std::find(calls.begin() + long(from), calls.end(), call);
    return it == calls.end() ? -1 : long(it - calls.begin());
}

class RenderWalkTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        ASSERT_TRUE(GlCallRecorder::wrapsDirectEntryPoints()) << "test_scene must link the GL wrap options";
        device = makeRef<Device>();
        device->resetState();
        stateSet = makeRef<StateSet>(device);
        stateSet->reset();
        root = makeRef<Group>();
        root->shadowCasterMask = ~0u;
        scene = makeRef<Scene>();
        scene->setRoot(root);
        // Looking down −z from z = 10: the frustum holds the origin and nothing behind the eye.
        view = Mat4::lookAt({0, 0, 10}, {0, 0, 0}, {0, 1, 0});
        projection = Mat4::perspective(60, 1, 1, 100);
        device->setMatrix(0, projection);
        ASSERT_TRUE(ViewVolume::fromViewProjection(projection * view, scene->viewVolume));
    }
    void TearDown() override {
        scene = nullptr;
        root = nullptr;
        stateSet = nullptr;
        device = nullptr;
        gl::clearErrors();
    }

    void render(uint32_t mask = 0) {
        scene->update(0);
        scene->render(view, stateSet, mask);
    }

    Ref<Device> device;
    Ref<StateSet> stateSet;
    Ref<Group> root;
    Ref<Scene> scene;
    Mat4 view, projection;
};

} // namespace

TEST_F(RenderWalkTest, CulledDrawablesIssueNoDrawCall) {
    Node::addChild(root.get(), drawable(0, {0, 0, 0}).get());
    Node::addChild(root.get(), drawable(30, {0, 0, 20}).get()); // behind the eye
    Node::addChild(root.get(), drawable(60, {1, 1, -5}).get());
    GlCallRecorder rec;
    render();
    EXPECT_EQ(rec.count("glDrawArrays"), 2u);
    EXPECT_NE(find(rec.calls(), glCall("glDrawArrays", GL_TRIANGLES, 0, 3)), -1);
    EXPECT_EQ(find(rec.calls(), glCall("glDrawArrays", GL_TRIANGLES, 30, 3)), -1);
    EXPECT_EQ(scene->drawnCount(), 2);
    EXPECT_EQ(scene->culledCount(), 1);
    render();
    EXPECT_EQ(scene->drawnCount(), 4) << "the counts grow over render calls";
    EXPECT_EQ(scene->culledCount(), 2);
}

TEST_F(RenderWalkTest, StateNodesBracketTheirSubtreeAndSiblingsDoNotLeak) {
    Ref<Program> program = linkProgram("walk");
    ASSERT_TRUE(program);
    Ref<Material> blended = makeRef<Material>();
    BlendState blend;
    blend.enabled = true;
    blend.srcRGB = 1;
    blend.dstRGB = 1;
    blended->setBlend(blend);
    blended->setProgram(program);
    Ref<Material> culledFront = makeRef<Material>();
    RasterizerState rasterizer;
    rasterizer.cullFace = 0;
    culledFront->setRasterizer(rasterizer);
    Node::addChild(root.get(), blended.get());
    Node::addChild(blended.get(), drawable(0, {0, 0, 0}).get());
    Node::addChild(blended.get(), drawable(3, {0, 0, 0}).get());
    Node::addChild(root.get(), culledFront.get());
    Node::addChild(culledFront.get(), drawable(6, {0, 0, 0}).get());
    Node::addChild(root.get(), drawable(9, {0, 0, 0}).get());

    GlCallRecorder rec;
    render();
    const std::vector<std::string>& calls = rec.calls();
    const long enableBlend = find(calls, glCall("glEnable", GL_BLEND));
    const long draw0 = find(calls, glCall("glDrawArrays", GL_TRIANGLES, 0, 3));
    const long draw3 = find(calls, glCall("glDrawArrays", GL_TRIANGLES, 3, 3));
    const long disableBlend = find(calls, glCall("glDisable", GL_BLEND));
    const long draw6 = find(calls, glCall("glDrawArrays", GL_TRIANGLES, 6, 3));
    ASSERT_NE(enableBlend, -1);
    EXPECT_LT(enableBlend, draw0);
    EXPECT_LT(draw3, disableBlend) << "the state holds over the whole subtree";
    EXPECT_LT(disableBlend, draw6) << "popped before the next sibling";
    EXPECT_EQ(rec.count("glUseProgram"), 1u) << "pushed once; popping the last program binds nothing";
    EXPECT_EQ(rec.count("glEnable"), 1u);
    EXPECT_EQ(rec.count("glDisable"), 1u);
    // The front-culling sibling sets its face and puts the default back before the last drawable.
    const long front = find(calls, glCall("glCullFace", GL_FRONT));
    const long back = find(calls, glCall("glCullFace", GL_BACK));
    EXPECT_LT(draw3, front);
    EXPECT_LT(front, draw6);
    EXPECT_LT(draw6, back);
    EXPECT_LT(back, find(calls, glCall("glDrawArrays", GL_TRIANGLES, 9, 3)));
    EXPECT_EQ(stateSet->blendDepth(), 1u);
    EXPECT_EQ(stateSet->rasterizerDepth(), 1u);
    EXPECT_EQ(stateSet->programDepth(), 0u);
}

TEST_F(RenderWalkTest, BuiltInMatricesFollowTheProgramOnTop) {
    Ref<Program> program = linkProgram("matrices");
    ASSERT_TRUE(program);
    ASSERT_EQ(program->builtInMask(), (1u << 4) | (1u << 9) | (1u << 11));
    Ref<Material> material = makeRef<Material>();
    material->setProgram(program);
    Ref<ArrayModel> model = drawable(0, {1, 2, -3});
    model->transform.flags |= NodeTransform::HasScale;
    model->transform.scale = {1, 2, 4};
    Node::addChild(root.get(), material.get());
    Node::addChild(material.get(), model.get());
    Ref<ArrayModel> bare = drawable(3, {0, 0, 0});
    Node::addChild(root.get(), bare.get());

    GlCallRecorder rec;
    render();
    const Mat4 world = Mat4::translation({1, 2, -3}) * Mat4::scaling({1, 2, 4});
    EXPECT_TRUE(matricesNear(device->matrix(4), projection * view * world, 1e-4f));
    EXPECT_TRUE(matricesNear(device->matrix(9), world));
    const Mat3 normal = Mat3::inverse((view * world).upper3x3()).transposed();
    EXPECT_TRUE(matricesNear(device->normalMatrix(11), normal));
    EXPECT_EQ(device->matrix(2), Mat4()) << "the program uses no model-view matrix";
    EXPECT_TRUE(matricesNear(device->matrix(6), view));
    EXPECT_TRUE(matricesNear(device->matrix(7), Mat4::inverse(view), 1e-5f));
    // One upload per used built-in for the drawable under the material; none for the bare one.
    EXPECT_EQ(rec.count("glUniformMatrix4fv"), 2u);
    EXPECT_EQ(rec.count("glUniformMatrix3fv"), 1u);
    EXPECT_EQ(rec.count("glDrawArrays"), 2u);
}

TEST_F(RenderWalkTest, DisabledAndMaskedSubtreesAreSkipped) {
    Ref<Group> hidden = makeRef<Group>();
    hidden->addController(makeRef<EnableController>(constantEnvelope(0)));
    hidden->shadowCasterMask = ~0u;
    Ref<ArrayModel> underHidden = drawable(0, {0, 0, 0});
    underHidden->shadowCasterMask = ~0u;
    underHidden->transform.position = {1, 0, 0};
    Node::addChild(root.get(), hidden.get());
    Node::addChild(hidden.get(), underHidden.get());
    Ref<Group> maskless = makeRef<Group>();
    Ref<ArrayModel> caster = drawable(3, {0, 0, 0});
    caster->shadowCasterMask = 2;
    Node::addChild(root.get(), maskless.get());
    Node::addChild(maskless.get(), caster.get());
    Ref<ArrayModel> second = drawable(6, {0, 0, 0});
    second->shadowCasterMask = 2;
    Node::addChild(root.get(), second.get());

    GlCallRecorder rec;
    render();
    EXPECT_FALSE(hidden->enabled);
    EXPECT_EQ(find(rec.calls(), glCall("glDrawArrays", GL_TRIANGLES, 0, 3)), -1);
    EXPECT_FLOAT_EQ(underHidden->transform.worldPosition.x, 1) << "hidden nodes are still updated";
    EXPECT_EQ(rec.count("glDrawArrays"), 2u) << "a colour pass ignores masks";
    rec.clear();
    render(2);
    EXPECT_EQ(rec.count("glDrawArrays"), 1u) << "a mask-0 group hides its matching descendant";
    EXPECT_NE(find(rec.calls(), glCall("glDrawArrays", GL_TRIANGLES, 6, 3)), -1);
    rec.clear();
    render(4);
    EXPECT_EQ(rec.count("glDrawArrays"), 0u);
    root->shadowCasterMask = 0;
    rec.clear();
    render(2);
    EXPECT_EQ(rec.count("glDrawArrays"), 0u) << "even the root is skipped";
}

TEST_F(RenderWalkTest, ShadowPassSkipsMaterialsWithoutShadowProgram) {
    Ref<Program> program = linkProgram("colour");
    ASSERT_TRUE(program);
    Ref<Material> material = makeRef<Material>();
    material->setProgram(program);
    BlendState blend;
    blend.enabled = true;
    material->setBlend(blend);
    material->setPointSize(true);
    Ref<ArrayModel> model = drawable(0, {0, 0, 0});
    Node::addChild(root.get(), material.get());
    Node::addChild(material.get(), model.get());
    material->shadowCasterMask = model->shadowCasterMask = 1;

    stateSet->setShadowPass(true);
    GlCallRecorder rec;
    render(1);
    EXPECT_EQ(rec.count("glUseProgram"), 0u);
    EXPECT_EQ(rec.count("glEnable"), 0u) << "no blend, no point size";
    EXPECT_EQ(rec.count("glDrawArrays"), 1u) << "the subtree is still drawn";
    EXPECT_EQ(stateSet->blendDepth(), 1u);

    // With a shadow program it binds that one although the pass ignores program binds.
    material->setShadowProgram(program);
    device->setProgramBindingEnabled(false);
    rec.clear();
    render(1);
    EXPECT_EQ(rec.count("glUseProgram"), 1u) << "bound, although the pass ignores other program binds";
    EXPECT_FALSE(device->programBindingEnabled()) << "the pass's setting is put back";
    EXPECT_FALSE(device->programPointSizeEnabled());
    EXPECT_NE(find(rec.calls(), glCall("glEnable", GL_PROGRAM_POINT_SIZE)), -1);
    stateSet->setShadowPass(false);
    device->setProgramBindingEnabled(true);
}

TEST_F(RenderWalkTest, SubModelDrawVariants) {
    IndexBin bin;
    bin.first = 6;
    bin.count = 12;
    bin.lowest = 2;
    bin.highest = 40;
    bin.primitive = GL_TRIANGLES;
    Ref<SubModel> ranged = makeRef<SubModel>(bin);
    Ref<SubModel> instanced = makeRef<SubModel>(bin, 3);
    Ref<SubModel> patches = makeRef<SubModel>(bin, 0, 3);
    IndexBin bad = bin;
    bad.primitive = 99;
    Ref<SubModel> invalid = makeRef<SubModel>(bad);
    for (Node* n : {ranged.get(), instanced.get(), patches.get(), invalid.get()})
        Node::addChild(root.get(), n);
    IndexBin arrays = bin;
    arrays.primitive = GL_POINTS;
    Node::addChild(root.get(), makeRef<ArrayModel>(arrays, 5).get());

    // Stubbed GL holds nothing the checking mode could read back.
    device->setStateChecking(false);
    GlCallRecorder rec(GlCallRecorder::Mode::Count);
    render();
    EXPECT_EQ(rec.count("glDrawRangeElements"), 2u) << "ranged, and the patches (instances 0 counts as 1)";
    EXPECT_EQ(rec.count("glDrawElementsInstanced"), 1u);
    EXPECT_EQ(rec.count("glPatchParameteri"), 1u);
    EXPECT_EQ(rec.count("glDrawArraysInstanced"), 1u);
    EXPECT_EQ(rec.totalCount(), 5u + rec.count("glUniformMatrix4fv") + rec.count("glUniformMatrix3fv") +
                                    rec.count("glEnable") + rec.count("glDisable") +
                                    rec.count("glUseProgram") + rec.count("glDepthFunc"));
    rec.stop();

    // The arguments, recorded: ranged draws name the bin's vertex range, offsets are in bytes of
    // the current index size (2 for the device's own array). These draws reach the driver, so the
    // device's array gets an index buffer of zeros to read.
    GLuint indices = 0;
    glGenBuffers(1, &indices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
    const std::vector<uint16_t> zeros(64, 0);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(zeros.size() * 2), zeros.data(), GL_STATIC_DRAW);
    GlCallRecorder record;
    render();
    record.stop();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &indices);
    const std::vector<std::string>& calls = record.calls();
    const void* offset = reinterpret_cast<const void*>(uintptr_t(12));
    EXPECT_NE(find(calls, glCall("glDrawRangeElements", GL_TRIANGLES, 2, 40, 12, GL_UNSIGNED_SHORT, offset)),
              -1);
    EXPECT_NE(find(calls, glCall("glDrawElementsInstanced", GL_TRIANGLES, 12, GL_UNSIGNED_SHORT, offset, 3)),
              -1);
    EXPECT_NE(find(calls, glCall("glPatchParameteri", GL_PATCH_VERTICES, 3)), -1);
    EXPECT_NE(find(calls, glCall("glDrawRangeElements", GL_PATCHES, 2, 40, 12, GL_UNSIGNED_SHORT, offset)),
              -1);
    EXPECT_NE(find(calls, glCall("glDrawArraysInstanced", GL_POINTS, 6, 12, 5)), -1);
}

TEST_F(RenderWalkTest, VertexArrayModelsBindAroundTheirDrawables) {
    Ref<VertexArrayObject> array = makeRef<VertexArrayObject>();
    array->generate();
    Ref<VAOModel> model = makeRef<VAOModel>(array);
    IndexBin bin;
    bin.count = 3;
    Node::addChild(root.get(), model.get());
    Node::addChild(model.get(), makeRef<SubModel>(bin).get());
    Node::addChild(root.get(), makeRef<ArrayModel>(bin).get());

    // Stubbed GL holds nothing the checking mode could read back.
    device->setStateChecking(false);
    GlCallRecorder rec(GlCallRecorder::Mode::Count);
    render();
    EXPECT_EQ(rec.count("glBindVertexArray"), 2u) << "its own array, then the device's again";
    EXPECT_EQ(rec.count("glDrawRangeElements"), 1u);
    EXPECT_EQ(rec.count("glDrawArrays"), 1u);
    EXPECT_EQ(device->vertexArray(), nullptr);
    rec.stop();
}

TEST_F(RenderWalkTest, MaterialAppliesUniformsAndUniformBufferInsideItsBracket) {
    Ref<Program> program = linkProgram("material");
    ASSERT_TRUE(program);
    Ref<Material> material = makeRef<Material>();
    material->setProgram(program);
    float scale = 0.25f;
    Ref<Uniforms> uniforms = makeRef<Uniforms>(program);
    uniforms->add(makeRef<FloatUniformState>(7, &scale));
    material->setUniforms(uniforms);
    Ref<UniformBuffer> buffer = makeRef<UniformBuffer>();
    buffer->create();
    Ref<BufferBindings> bindings = makeRef<BufferBindings>();
    bindings->add(buffer, 3);
    material->setUniformBuffer(bindings);
    material->setSamplerSet(makeRef<SamplerSet>());
    EXPECT_EQ(material->flags(), uint32_t(Material::HasProgram | Material::HasUniforms |
                                          Material::HasUniformBuffer | Material::HasSamplerSet));
    material->setSamplerSet(nullptr);
    EXPECT_FALSE(material->flags() & Material::HasSamplerSet) << "a null reference clears its flag";
    Node::addChild(root.get(), material.get());
    Node::addChild(material.get(), drawable(0, {0, 0, 0}).get());

    GlCallRecorder rec;
    render();
    const std::vector<std::string>& calls = rec.calls();
    const long use = find(calls, glCall("glUseProgram", program->glName()));
    const long uniform = find(calls, glCall("glUniform1f", 7, 0.25f));
    const long bind = find(calls, glCall("glBindBufferBase", GL_UNIFORM_BUFFER, 3, buffer->glName()));
    const long draw = find(calls, glCall("glDrawArrays", GL_TRIANGLES, 0, 3));
    const long unbind = find(calls, glCall("glBindBufferBase", GL_UNIFORM_BUFFER, 3, 0));
    ASSERT_NE(use, -1);
    EXPECT_LT(use, uniform) << "uniforms go to the program just bound";
    EXPECT_LT(uniform, bind);
    EXPECT_LT(bind, draw);
    EXPECT_LT(draw, unbind) << "no uniform buffer once the material is restored";
    EXPECT_EQ(device->program(), program) << "the last program stays bound when the stack empties";
}
