#include "RenderTestSupport.h"

#include "render/CodeTables.h"
#include "render/RenderBuffer.h"
#include "render/Texture1D.h"
#include "render/Texture2D.h"
#include "render/Texture2DArray.h"
#include "render/TextureBuffer.h"
#include "render/TextureCube.h"

#include <gmock/gmock.h>

namespace {

using TextureTest = RenderTest;
using FramebufferTest = RenderTest;

Calls swizzleCalls(GLenum target, GLenum r, GLenum g, GLenum b, GLenum a) {
    return {glCall("glTexParameteri", target, GL_TEXTURE_SWIZZLE_R, r),
            glCall("glTexParameteri", target, GL_TEXTURE_SWIZZLE_G, g),
            glCall("glTexParameteri", target, GL_TEXTURE_SWIZZLE_B, b),
            glCall("glTexParameteri", target, GL_TEXTURE_SWIZZLE_A, a)};
}

TEST_F(TextureTest, FreshParamsEqualGlDefaultsSoOnlySwizzlesAreSent) {
    Texture2D texture;
    texture.setFormat(25);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    GlCallRecorder rec;
    texture.applyParams(TextureParams());
    EXPECT_EQ(rec.calls(), swizzleCalls(GL_TEXTURE_2D, GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA));
    glDeleteTextures(1, &name);
}

TEST_F(TextureTest, CreationSendsOnlyTheParametersThatDifferAndAllocates) {
    Texture2D texture;
    GlCallRecorder rec;
    texture.create(8, 4, 10);
    Calls expected{glCall("glGenTextures", 1), glCall("glBindTexture", GL_TEXTURE_2D, texture.glName()),
                   glCall("glTexParameteri", GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR)};
    Calls swizzles = swizzleCalls(GL_TEXTURE_2D, GL_RED, GL_RED, GL_RED, GL_GREEN);
    expected.insert(expected.end(), swizzles.begin(), swizzles.end());
    expected.push_back(
        glCall("glTexImage2D", GL_TEXTURE_2D, 0, GL_RG8, 8, 4, 0, GL_RG, GL_UNSIGNED_BYTE, nullptr));
    expected.push_back(glCall("glBindTexture", GL_TEXTURE_2D, 0));
    EXPECT_EQ(rec.calls(), expected);

    texture.bind();
    GLint swizzle[4];
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    EXPECT_EQ(swizzle[0], GL_RED) << "rg_8 shows red as grey";
    EXPECT_EQ(swizzle[2], GL_RED);
    EXPECT_EQ(swizzle[3], GL_GREEN) << "and green as alpha";
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 8);

    rec.clear();
    TextureParams same = texture.params();
    texture.applyParams(same);
    EXPECT_EQ(rec.calls(), swizzleCalls(GL_TEXTURE_2D, GL_RED, GL_RED, GL_RED, GL_GREEN));
    texture.unbind();
}

TEST_F(TextureTest, FixedPointDepthComparesAndFloatDepthDoesNot) {
    Texture2D depth24, depthFloat;
    depth24.create(4, 4, codes::formatCode("depth_24"));
    depthFloat.create(4, 4, codes::formatCode("depth_fp32"));
    EXPECT_TRUE(depth24.params().compare);
    EXPECT_FALSE(depthFloat.params().compare);
    depth24.bind();
    EXPECT_EQ(
        [] {
            GLint v;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &v);
            return v;
        }(),
        GL_COMPARE_REF_TO_TEXTURE);
    EXPECT_EQ(
        [] {
            GLint v;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, &v);
            return v;
        }(),
        GL_LESS);
    depthFloat.bind();
    EXPECT_EQ(
        [] {
            GLint v;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &v);
            return v;
        }(),
        GL_NONE);
    GLfloat border[4];
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    EXPECT_FLOAT_EQ(border[0], 1.0f);
    depthFloat.unbind();
}

TEST_F(TextureTest, CompressedFormatsGetANameButNoStorage) {
    Texture2D texture;
    GlCallRecorder rec;
    texture.create(4, 4, 41);
    EXPECT_NE(texture.glName(), 0u);
    EXPECT_EQ(rec.count("glTexImage2D"), 0u);
    EXPECT_EQ(rec.count("glTexParameteri"), 1u) << "min filter only: no swizzles for compressed formats";
}

TEST_F(TextureTest, RenderBuffersIgnoreParameters) {
    RenderBuffer buffer;
    buffer.create(16, 8, codes::formatCode("depth_stencil_24_8"));
    GlCallRecorder rec;
    TextureParams params;
    params.magFilter = 0;
    buffer.applyParams(params);
    EXPECT_TRUE(rec.calls().empty());
}

// A refused allocation is reported once to whoever asks GL for its errors, whether or not a
// checked call site read the queue first; where checks run, they name the call site.
TEST_F(TextureTest, ARefusedAllocationReachesTheErrorQueryAndNamesItsCallSite) {
    Texture2D texture;
    testing::internal::CaptureStderr();
    texture.create(-1, 4, codes::formatCode("rgba_8"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(gl::takeError(), GLenum(GL_INVALID_VALUE));
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
#ifdef NDEBUG
    EXPECT_EQ(said, "");
#else
    EXPECT_THAT(said, testing::MatchesRegex(".*Texture2D\\.cpp:[0-9]+: glTexImage2D: GL error 0x0501\n"));
#endif
}

TEST_F(TextureTest, VolumeArrayCubeAndBufferTexturesAllocateOnTheirTargets) {
    Texture2DArray array;
    array.create(4, 4, 3, 25);
    Texture3D volume;
    volume.create(4, 4, 2, 0);
    TextureCube cube;
    GlCallRecorder rec;
    cube.create(4, 4, 25);
    EXPECT_EQ(rec.count("glTexImage2D"), 6u);
    EXPECT_EQ(rec.calls()[rec.calls().size() - 2],
              glCall("glTexImage2D", GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 0, GL_RGBA8, 4, 4, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr));
    EXPECT_EQ(TextureCube::faceOfFile(1), 3) << "file _c01 holds -X";
    EXPECT_EQ(TextureCube::faceOfFile(2), 1);

    array.bind();
    GLint layers = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D_ARRAY, 0, GL_TEXTURE_DEPTH, &layers);
    EXPECT_EQ(layers, 3);
    array.unbind();

    Ref<BufferObject> data = makeRef<BufferObject>(6);
    data->create();
    data->bind();
    data->setData(3, 64, nullptr);
    data->unbind();
    TextureBuffer buffer;
    buffer.create(data);
    EXPECT_EQ(buffer.format(), 28);
    glBindTexture(GL_TEXTURE_BUFFER, buffer.glName());
    GLint bound = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_BUFFER, 0, GL_TEXTURE_BUFFER_DATA_STORE_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), data->glName());
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
}

Ref<Texture2D> texture2D(const char* format, int w = 16, int h = 8) {
    Ref<Texture2D> t = makeRef<Texture2D>();
    t->create(w, h, codes::formatCode(format));
    return t;
}

TEST_F(FramebufferTest, DepthOnlyFramebufferHasNoDrawBuffers) {
    Ref<Framebuffer> fb = makeRef<Framebuffer>();
    fb->setAttachment(8, texture2D("depth_24"), 0, 0);
    ASSERT_TRUE(fb->create());
    EXPECT_EQ(fb->drawBufferCount(), 0);
    EXPECT_EQ(fb->width(), 16);
    EXPECT_EQ(fb->height(), 8);
    glBindFramebuffer(GL_FRAMEBUFFER, fb->glName());
    EXPECT_EQ(getInt(GL_DRAW_BUFFER), GL_NONE);
    EXPECT_EQ(getInt(GL_READ_BUFFER), GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    GlCallRecorder rec;
    device->bindFramebuffer(fb);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glBindFramebuffer", GL_DRAW_FRAMEBUFFER, fb->glName()),
                                  glCall("glDrawBuffer", GL_NONE), glCall("glViewport", 0, 0, 16, 8),
                                  glCall("glScissor", 0, 0, 16, 8)}));
    rec.clear();
    device->bindDefaultFramebuffer(64, 64);
    EXPECT_EQ(rec.calls(), (Calls{glCall("glBindFramebuffer", GL_DRAW_FRAMEBUFFER, 0),
                                  glCall("glDrawBuffer", GL_BACK), glCall("glReadBuffer", GL_BACK),
                                  glCall("glViewport", 0, 0, 64, 64), glCall("glScissor", 0, 0, 64, 64)}));
}

TEST_F(FramebufferTest, ColourAttachmentsFillDrawBuffersInSlotOrder) {
    Ref<Framebuffer> fb = makeRef<Framebuffer>();
    fb->setAttachment(3, texture2D("rgba_8"), 0, 0);
    fb->setAttachment(11, texture2D("rgba_8"), 0, 0);
    ASSERT_TRUE(fb->create());
    ASSERT_EQ(fb->drawBufferCount(), 1);
    EXPECT_EQ(fb->drawBuffers()[0], GLenum(GL_COLOR_ATTACHMENT3));

    GlCallRecorder rec;
    device->bindFramebuffer(fb);
    EXPECT_EQ(rec.names(),
              (Calls{"glBindFramebuffer", "glDrawBuffers", "glReadBuffer", "glViewport", "glScissor"}));
    EXPECT_EQ(getInt(GL_DRAW_FRAMEBUFFER_BINDING), GLint(fb->glName()));
    EXPECT_EQ(getInt(GL_READ_FRAMEBUFFER_BINDING), 0) << "the read binding is never changed";
    EXPECT_EQ(getInt(GL_DRAW_BUFFER0), GL_COLOR_ATTACHMENT3);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 16);
    device->bindDefaultFramebuffer(64, 64);
}

TEST_F(FramebufferTest, DefaultFramebufferBindWithNoneCurrentLeavesTheViewport) {
    glViewport(1, 2, 3, 4);
    GlCallRecorder rec;
    device->bindDefaultFramebuffer(640, 480);
    EXPECT_TRUE(rec.calls().empty());
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 3);
    glViewport(0, 0, 64, 64);
}

TEST_F(FramebufferTest, CubeSidesAttachLayeredOrOneFace) {
    Ref<TextureCube> cube = makeRef<TextureCube>();
    cube->create(8, 8, 25);
    Ref<Framebuffer> layered = makeRef<Framebuffer>();
    layered->setAttachment(0, cube, 0, -1);
    GlCallRecorder rec;
    ASSERT_TRUE(layered->create());
    EXPECT_EQ(rec.count("glFramebufferTexture"), 1u);
    glBindFramebuffer(GL_FRAMEBUFFER, layered->glName());
    GLint isLayered = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_LAYERED, &isLayered);
    EXPECT_EQ(isLayered, GL_TRUE);

    Ref<Framebuffer> face = makeRef<Framebuffer>();
    face->setAttachment(0, cube, 0, 4);
    rec.clear();
    ASSERT_TRUE(face->create());
    EXPECT_EQ(rec.calls()[2], glCall("glFramebufferTexture2D", GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                     GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, cube->glName(), 0));
    glBindFramebuffer(GL_FRAMEBUFFER, face->glName());
    GLint side = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_CUBE_MAP_FACE, &side);
    EXPECT_EQ(side, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(FramebufferTest, IncompleteFramebufferKeepsItsAttachmentsButNoName) {
    Ref<Framebuffer> fb = makeRef<Framebuffer>();
    Ref<Texture2D> depth = texture2D("depth_24");
    fb->setAttachment(0, depth, 0, 0); // a depth image cannot be a colour attachment
    EXPECT_FALSE(fb->create());
    EXPECT_EQ(fb->glName(), 0u);
    EXPECT_EQ(fb->drawBufferCount(), 0);
    EXPECT_EQ(fb->attachment(0).texture.get(), depth.get());
    fb->destroyGL();
    EXPECT_EQ(fb->attachment(0).texture, nullptr);
}

TEST_F(FramebufferTest, EveryRenderableFormatClassCompletes) {
    // One colour format per class, and every depth format, each alone as its attachment point.
    for (const char* format : {"r_8", "r_32i", "rg_16", "rg_fp32", "rgba_8", "rgba_fp16", "rgba_32ui"}) {
        Ref<Framebuffer> fb = makeRef<Framebuffer>();
        fb->setAttachment(0, texture2D(format), 0, 0);
        EXPECT_TRUE(fb->create()) << format;
    }
    for (const char* format : {"depth_16", "depth_24", "depth_32", "depth_fp32"}) {
        Ref<Framebuffer> fb = makeRef<Framebuffer>();
        fb->setAttachment(8, texture2D(format), 0, 0);
        EXPECT_TRUE(fb->create()) << format;
    }
    for (const char* format : {"depth_stencil_24_8", "depth_stencil_fp32_8"}) {
        Ref<Framebuffer> fb = makeRef<Framebuffer>();
        fb->setAttachment(0, texture2D("rgba_8"), 0, 0);
        fb->setAttachment(10, texture2D(format), 0, 0);
        EXPECT_TRUE(fb->create()) << format;
        EXPECT_EQ(fb->drawBufferCount(), 1);
    }
    Ref<RenderBuffer> rb = makeRef<RenderBuffer>();
    rb->create(16, 8, codes::formatCode("depth_stencil_24_8"));
    Ref<Texture2DArray> layers = makeRef<Texture2DArray>();
    layers->create(16, 8, 4, 25);
    Ref<Framebuffer> mixed = makeRef<Framebuffer>();
    mixed->setAttachment(1, layers, 0, 2);
    mixed->setAttachment(10, rb, 0, 0);
    EXPECT_TRUE(mixed->create());
    EXPECT_EQ(mixed->width(), 16);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
}

} // namespace
