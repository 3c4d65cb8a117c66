#include "RenderTestSupport.h"

#include "render/StateSet.h"

namespace {

using DeviceStateTest = RenderTest;

TEST_F(DeviceStateTest, HarnessSeesDirectAndGlewEntryPoints) {
    ASSERT_TRUE(GlCallRecorder::wrapsDirectEntryPoints()) << "test_render must link with the wrap options";
    GlCallRecorder rec;
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_BLEND);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glEnable", GL_BLEND), glCall("glBlendEquation", GL_FUNC_ADD),
                                  glCall("glDisable", GL_BLEND)}));
}

TEST_F(DeviceStateTest, ConstructionLeavesGlMatchingTheCaches) {
    EXPECT_TRUE(isEnabled(GL_CULL_FACE));
    EXPECT_FALSE(isEnabled(GL_BLEND));
    EXPECT_FALSE(isEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(isEnabled(GL_RASTERIZER_DISCARD));
    EXPECT_EQ(getInt(GL_VERTEX_ARRAY_BINDING), GLint(device->defaultVertexArray()->glName()));
    EXPECT_NE(device->defaultVertexArray()->glName(), 0u);
    EXPECT_EQ(device->indexType(), GLenum(GL_UNSIGNED_SHORT));
    EXPECT_EQ(device->indexSize(), 2);
}

TEST_F(DeviceStateTest, ResetRightAfterConstructionSendsOnlyDiscardAndCull) {
    Ref<Device> fresh = makeRef<Device>();
    GlCallRecorder rec;
    fresh->resetState();
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glDisable", GL_RASTERIZER_DISCARD), glCall("glEnable", GL_CULL_FACE)}));
}

TEST_F(DeviceStateTest, ResetUndoesStateThatDiffers) {
    BlendState blend;
    blend.enabled = true;
    blend.srcRGB = 2;
    blend.dstRGB = 3;
    device->applyBlend(blend);
    RasterizerState raster;
    raster.cullEnabled = false;
    device->applyRasterizer(raster);
    GlCallRecorder rec;
    device->resetState();
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glDisable", GL_BLEND), glCall("glEnable", GL_CULL_FACE),
                     glCall("glDisable", GL_RASTERIZER_DISCARD), glCall("glEnable", GL_CULL_FACE)}));
    EXPECT_FALSE(isEnabled(GL_BLEND));
    EXPECT_TRUE(isEnabled(GL_CULL_FACE));
}

TEST_F(DeviceStateTest, BlendFactorsAreNeitherComparedNorSentWhileBlendingIsOff) {
    BlendState state;
    state.srcRGB = 2;
    state.dstRGB = 3;
    GlCallRecorder rec;
    device->applyBlend(state);
    EXPECT_TRUE(rec.calls().empty());
    EXPECT_EQ(device->blendCache().srcRGB, 0) << "factors stay uncached while off";

    state.enabled = true;
    device->applyBlend(state);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glEnable", GL_BLEND),
                                  glCall("glBlendFunc", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)}));
    EXPECT_EQ(getInt(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(getInt(GL_BLEND_DST_ALPHA), GL_ONE_MINUS_SRC_ALPHA) << "glBlendFunc sets alpha like RGB";

    rec.clear();
    device->applyBlend(state);
    EXPECT_TRUE(rec.calls().empty()) << "an identical record costs nothing";
}

TEST_F(DeviceStateTest, NonZeroAlphaFactorsUseSeparateBlending) {
    BlendState state;
    state.enabled = true;
    state.srcRGB = 1;
    state.dstRGB = 1;
    state.srcAlpha = 0;
    state.dstAlpha = 1;
    GlCallRecorder rec;
    device->applyBlend(state);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glEnable", GL_BLEND),
                                  glCall("glBlendFuncSeparate", GL_ONE, GL_ONE, GL_ZERO, GL_ONE)}));
    EXPECT_EQ(getInt(GL_BLEND_DST_ALPHA), GL_ONE);
    EXPECT_EQ(getInt(GL_BLEND_SRC_ALPHA), GL_ZERO);
}

TEST_F(DeviceStateTest, EquationAndColourMaskGoOutEvenWithBlendingOff) {
    BlendState state;
    state.equation = 3;
    state.colorMask[3] = false;
    GlCallRecorder rec;
    device->applyBlend(state);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glBlendEquation", GL_MAX), glCall("glColorMask", 1, 1, 1, 0)}));
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_EQ(mask[3], GL_FALSE);
    EXPECT_EQ(getInt(GL_BLEND_EQUATION_RGB), GL_MAX);
    device->resetState();
}

TEST_F(DeviceStateTest, StencilMaskChangeSendsMaskAndFunction) {
    DepthStencilState state;
    state.stencilTest = true;
    device->applyDepthStencil(state);
    state.stencilMask = 0xFF;
    GlCallRecorder rec;
    device->applyDepthStencil(state);
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glStencilMask", 0xFF), glCall("glStencilFunc", GL_ALWAYS, 0, 0xFF)}));
    EXPECT_EQ(getInt(GL_STENCIL_WRITEMASK), 0xFF);
    EXPECT_EQ(getInt(GL_STENCIL_VALUE_MASK), 0xFF);

    rec.clear();
    state.stencilRef = 3;
    state.stencilFail = 2;
    device->applyDepthStencil(state);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glStencilOp", GL_REPLACE, GL_KEEP, GL_KEEP),
                                  glCall("glStencilFunc", GL_ALWAYS, 3, 0xFF)}));
    EXPECT_EQ(getInt(GL_STENCIL_REF), 3);
}

TEST_F(DeviceStateTest, DepthFunctionIsOnlyComparedWithTheTestOn) {
    DepthStencilState state;
    state.depthFunc = 2;
    GlCallRecorder rec;
    device->applyDepthStencil(state);
    EXPECT_TRUE(rec.calls().empty());
    state.depthTest = true;
    device->applyDepthStencil(state);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glEnable", GL_DEPTH_TEST), glCall("glDepthFunc", GL_LEQUAL)}));
    EXPECT_EQ(getInt(GL_DEPTH_FUNC), GL_LEQUAL);
}

TEST_F(DeviceStateTest, DepthRangeIsSentOnlyWhenClampingSwitchesOn) {
    DepthStencilState state;
    state.depthClamp = true;
    state.depthNear = 0.75f;
    state.depthFar = 0.25f;
    GlCallRecorder rec;
    device->applyDepthStencil(state);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glEnable", GL_DEPTH_CLAMP), glCall("glDepthRange", 0.25, 0.75)}));
    GLfloat range[2];
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_FLOAT_EQ(range[0], 0.25f) << "near and far are ordered";
    rec.clear();
    state.depthNear = 0.0f;
    device->applyDepthStencil(state);
    EXPECT_TRUE(rec.calls().empty());
    state.depthClamp = false;
    device->applyDepthStencil(state);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glDisable", GL_DEPTH_CLAMP)}));
    glDepthRange(0.0, 1.0);
}

TEST_F(DeviceStateTest, SmallPointAndLineChangesAreIgnored) {
    RasterizerState state;
    state.pointSize = 1.05f;
    GlCallRecorder rec;
    device->applyRasterizer(state);
    EXPECT_TRUE(rec.calls().empty());
    state.pointSize = 1.2f;
    device->applyRasterizer(state);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glPointSize", 1.2f)}));
    GLfloat size = 0;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_FLOAT_EQ(size, 1.2f);
    rec.clear();
    state.pointSize = 1.25f;
    device->applyRasterizer(state);
    EXPECT_TRUE(rec.calls().empty()) << "compared with the cached 1.2";
}

TEST_F(DeviceStateTest, PolygonOffsetResendsWhileEnabledAndSwitchesModes) {
    RasterizerState state;
    state.polygonOffsetEnabled = true;
    state.polygonOffsetFactor = 2.0f;
    state.polygonOffsetUnits = 4.0f;
    GlCallRecorder rec;
    device->applyRasterizer(state);
    device->applyRasterizer(state);
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glEnable", GL_POLYGON_OFFSET_FILL), glCall("glPolygonOffset", 2.0f, 4.0f),
                     glCall("glEnable", GL_POLYGON_OFFSET_FILL), glCall("glPolygonOffset", 2.0f, 4.0f)}));
    EXPECT_TRUE(isEnabled(GL_POLYGON_OFFSET_FILL));
    rec.clear();
    state.polygonOffsetMode = 1;
    device->applyRasterizer(state);
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glDisable", GL_POLYGON_OFFSET_FILL), glCall("glEnable", GL_POLYGON_OFFSET_LINE),
                     glCall("glPolygonOffset", 2.0f, 4.0f)}));
    rec.clear();
    device->applyRasterizer(RasterizerState());
    EXPECT_EQ(rec.calls(), (Calls{glCall("glDisable", GL_POLYGON_OFFSET_LINE)}));
    EXPECT_FALSE(isEnabled(GL_POLYGON_OFFSET_LINE));
}

TEST_F(DeviceStateTest, CullingWindingAndScissorFollowTheRecord) {
    RasterizerState state;
    state.cullEnabled = false;
    state.frontFace = 0;
    state.cullFace = 2;
    state.scissorTest = true;
    state.clampReadColor = false;
    GlCallRecorder rec;
    device->applyRasterizer(state);
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glDisable", GL_CULL_FACE), glCall("glFrontFace", GL_CW),
                     glCall("glCullFace", GL_FRONT_AND_BACK), glCall("glEnable", GL_SCISSOR_TEST),
                     glCall("glClampColor", GL_CLAMP_READ_COLOR, 0)}));
    EXPECT_FALSE(isEnabled(GL_CULL_FACE));
    EXPECT_EQ(getInt(GL_FRONT_FACE), GL_CW);
    EXPECT_EQ(getInt(GL_CULL_FACE_MODE), GL_FRONT_AND_BACK);
    EXPECT_EQ(getInt(GL_CLAMP_READ_COLOR), GL_FALSE);
    device->resetState();
    glDisable(GL_SCISSOR_TEST);
}

TEST_F(DeviceStateTest, StateSetPopReappliesWhatIsNowOnTop) {
    StateSet states(device);
    states.reset();
    EXPECT_TRUE(isEnabled(GL_DEPTH_TEST)) << "walks draw with depth testing";
    EXPECT_EQ(getInt(GL_DEPTH_FUNC), GL_LEQUAL);
    BlendState additive;
    additive.enabled = true;
    additive.srcRGB = additive.dstRGB = 1;
    states.pushBlend(additive);
    EXPECT_TRUE(isEnabled(GL_BLEND));
    GlCallRecorder rec;
    states.popBlend();
    EXPECT_EQ(rec.calls(), (Calls{glCall("glDisable", GL_BLEND)}));
    EXPECT_EQ(states.blendDepth(), 1u);
    rec.clear();
    states.popBlend();
    EXPECT_TRUE(rec.calls().empty()) << "an emptied stack applies nothing";
    states.popBlend();
    EXPECT_EQ(states.blendDepth(), 0u);
}

TEST_F(DeviceStateTest, StateSetPushesTheFixedProgramWhileProgramBindingIsOff) {
    const char* vertex = "#version 430 core\nin vec4 POSITION;\nvoid main() { gl_Position = POSITION; }\n";
    Ref<Program> a = linkProgram({{0, vertex}, {1, kPlainFragment}});
    Ref<Program> fixed = linkProgram({{0, vertex}, {1, kPlainFragment}});
    Ref<Program> b = linkProgram({{0, vertex}, {1, kPlainFragment}});
    ASSERT_TRUE(a && fixed && b);
    StateSet states(device);
    states.setFixedProgram(fixed);
    states.reset();
    states.pushProgram(a);
    device->setProgramBindingEnabled(false);
    GlCallRecorder rec;
    states.pushProgram(b);
    EXPECT_EQ(states.topProgram(), fixed.get());
    EXPECT_TRUE(rec.calls().empty());
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), GLint(a->glName()));
    states.popProgram();
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), GLint(a->glName()));
    device->setProgramBindingEnabled(true);
    device->resetState();
}

TEST_F(DeviceStateTest, CachesCountEveryCallTheyLeaveOut) {
    Ref<Device> fresh = makeRef<Device>();
    BlendState blend;
    blend.enabled = true;
    blend.srcRGB = 2;
    blend.dstRGB = 3;
    DepthStencilState depth;
    depth.depthTest = true;
    RasterizerState raster;
    GlCallRecorder rec;
    // First application: enable and factors go out; the equation and mask match the start state.
    fresh->applyBlend(blend);
    EXPECT_EQ(rec.calls().size(), 2u);
    EXPECT_EQ(fresh->stateCallCount(), 2u);
    EXPECT_EQ(fresh->stateCallsRemovedCount(), 2u);
    // Again: every call an uncached device would send (enable, factors, equation, mask) is left out.
    rec.clear();
    fresh->applyBlend(blend);
    EXPECT_TRUE(rec.calls().empty());
    EXPECT_EQ(fresh->stateCallsRemovedCount(), 6u);
    // Depth test on, function, write mask, clamping, stencil test: five comparisons.
    fresh->applyDepthStencil(depth);
    const unsigned long removedBefore = fresh->stateCallsRemovedCount();
    const unsigned long sentBefore = fresh->stateCallCount();
    fresh->applyDepthStencil(depth);
    EXPECT_EQ(fresh->stateCallsRemovedCount() - removedBefore, 5u);
    // Culling, winding, face, scissor, point size, line width, three colour clamps, polygon offset.
    fresh->applyRasterizer(raster);
    EXPECT_EQ(fresh->stateCallsRemovedCount() - removedBefore, 15u);
    EXPECT_EQ(fresh->stateCallCount(), sentBefore) << "nothing differed";
    EXPECT_TRUE(rec.calls().size() == size_t(fresh->stateCallCount() - 2u));
    fresh->resetState();
}

} // namespace
