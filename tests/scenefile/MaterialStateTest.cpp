// The material's render-state vocabulary, down to the GL calls the device sends for it.
#include "SceneFileTestSupport.h"

#include "render/Device.h"
#include "scene/Material.h"
#include "scenefile/MaterialBuilder.h"
#include "support/GlCallRecorder.h"

#include <tinyxml2.h>

namespace {

using Calls = std::vector<std::string>;

// The `drawstate` child `name` of a parsed fragment.
struct Fragment {
    explicit Fragment(const char* xml) { doc.Parse(xml); }
    const tinyxml2::XMLElement* root() const { return doc.RootElement(); }
    tinyxml2::XMLDocument doc;
};

} // namespace

TEST_F(SceneFileTest, MaterialStatesSendTheirGlState) {
    ASSERT_TRUE(GlCallRecorder::wrapsDirectEntryPoints());
    Ref<Scene> scene = load(R"(<material name="m"><drawstate>
        <blend><mode value="reverse_subtract"/><source rgb="src_alpha" alpha="one"/><dest rgb="one_minus_src_alpha"/>
          <writemask r="yes" g="no" b="true" a="0"/></blend>
        <depthstencil><depth compare="greater_or_equal" write="false"/>
          <stencil test="1" ref="3" mask="255" compare="equal" fail="invert" depthfail="inc_wrap" depthpass="reset"/></depthstencil>
        <rasterizer><culling face="front_and_back"/><winding value="cw"/>
          <polygonoffset enable="yes" mode="line" factor="2" units="3"/><pointsize value="4"/></rasterizer>
        </drawstate></material>)");
    ASSERT_TRUE(scene);
    auto* m = dynamic_cast<Material*>(scene->findByName("m"));
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->flags() & Material::HasProgram) << "a drawstate alone gives no program";
    Ref<Device> device = makeRef<Device>();
    device->resetState();
    GlCallRecorder rec;
    device->applyBlend(m->blend());
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glEnable", GL_BLEND),
                     glCall("glBlendFuncSeparate", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO),
                     glCall("glBlendEquation", GL_FUNC_REVERSE_SUBTRACT),
                     glCall("glColorMask", GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE)}));
    rec.clear();
    device->applyDepthStencil(m->depthStencil());
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glEnable", GL_DEPTH_TEST), glCall("glDepthFunc", GL_GEQUAL),
                     glCall("glDepthMask", GL_FALSE), glCall("glEnable", GL_STENCIL_TEST),
                     glCall("glStencilOp", GL_INVERT, GL_INCR_WRAP, GL_ZERO), glCall("glStencilMask", 255u),
                     glCall("glStencilFunc", GL_EQUAL, 3, 255u)}));
    rec.clear();
    device->applyRasterizer(m->rasterizer());
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glFrontFace", GL_CW), glCall("glCullFace", GL_FRONT_AND_BACK),
                     glCall("glPointSize", 4.0f), glCall("glDisable", GL_POLYGON_OFFSET_FILL),
                     glCall("glEnable", GL_POLYGON_OFFSET_LINE), glCall("glPolygonOffset", 2.0f, 3.0f)}));
}

TEST_F(SceneFileTest, DrawStateChildrenDefaultAsTheTablesSay) {
    const BlendState bare = MaterialBuilder::readBlend(Fragment("<blend/>").root());
    EXPECT_TRUE(bare.enabled);
    EXPECT_EQ(bare.equation, 1);
    EXPECT_EQ(bare.srcRGB + bare.srcAlpha + bare.dstRGB + bare.dstAlpha, 0) << "all four factors zero";
    const BlendState named =
        MaterialBuilder::readBlend(Fragment("<blend><source/><dest rgb=\"bogus\"/></blend>").root());
    EXPECT_EQ(named.srcRGB, 1) << "a present source defaults to one";
    EXPECT_EQ(named.dstRGB, 1) << "an unlisted name takes the default";
    EXPECT_EQ(named.srcAlpha, 0);

    const DepthStencilState noDepth = MaterialBuilder::readDepthStencil(Fragment("<depthstencil/>").root());
    EXPECT_FALSE(noDepth.depthTest);
    EXPECT_TRUE(noDepth.depthWrite);
    EXPECT_EQ(noDepth.depthFunc, 1);
    const DepthStencilState depth = MaterialBuilder::readDepthStencil(
        Fragment("<depthstencil><depth compare=\"?\"/><stencil compare=\"?\"/></depthstencil>").root());
    EXPECT_TRUE(depth.depthTest);
    EXPECT_EQ(depth.depthFunc, 1) << "unlisted: less";
    EXPECT_EQ(depth.stencilFunc, 0) << "unlisted: always";
    EXPECT_EQ(depth.stencilMask, -1);
    EXPECT_FALSE(depth.stencilTest);

    const RasterizerState upper = MaterialBuilder::readRasterizer(
        Fragment("<rasterizer><winding value=\"CW\"/><culling/></rasterizer>").root());
    EXPECT_EQ(upper.frontFace, 1) << "names are case-sensitive: CW is ccw";
    EXPECT_TRUE(upper.cullEnabled);
    EXPECT_EQ(upper.cullFace, 1);
    EXPECT_EQ(upper.pointSize, 1.0f);
    EXPECT_FALSE(upper.polygonOffsetEnabled);
}
