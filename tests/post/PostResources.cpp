#include "PostResources.h"

#include "post/BlitEngine.h"

#include "assets/ShaderLoader.h"
#include "demo/ProgramBuilder.h"
#include "demo/Registries.h"
#include "math/RandomDraw.h"
#include "post/MotionBlurEngine.h"
#include "post/RadialBlurEngine.h"
#include "post/SSAOEngine.h"
#include "render/CodeTables.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/QuadVertexBuffer.h"
#include "render/Texture1D.h"
#include "render/Texture2D.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

#include <cmath>

namespace {

Ref<Texture2D> makeTexture(const char* name, int width, int height, const char* format, bool linear) {
    Ref<Texture2D> texture = makeRef<Texture2D>();
    texture->create(width, height, codes::formatCode(format));
    texture->bind();
    TextureParams params;
    params.magFilter = params.minFilter = linear ? codes::kFilterLinear : codes::kFilterNearest;
    params.wrapS = params.wrapT = params.wrapR = codes::kWrapEdge;
    params.compare = false;
    texture->applyParams(params);
    texture->unbind();
    textureRegistry().insert(name, texture);
    return texture;
}

bool makeFramebuffer(const char* name, std::initializer_list<std::pair<int, const char*>> attachments) {
    Ref<Framebuffer> framebuffer = makeRef<Framebuffer>();
    for (const auto& a : attachments)
        framebuffer->setAttachment(a.first, textureRegistry().find(a.second), 0, 0);
    if (!framebuffer->create())
        return false;
    framebufferRegistry().insert(name, framebuffer);
    return true;
}

const char* const kPostPrograms[] = {"post/fxaa",          "post/ssao",           "post/blur",
                                     "post/glow",          "post/radial_blur",    "post/lightstreaks",
                                     "post/motion_blur",   "post/blit",           "post/blit_ssao",
                                     "post/blit_glow",     "post/blit_glow_ssao", "post/blit_dof",
                                     "post/blit_dof_ssao", "post/blit_dof_glow",  "post/blit_dof_glow_ssao"};

} // namespace

namespace post_resources {

bool build(int w, int h, std::string* error) {
    makeTexture("gb_diffuse", w, h, "rgba_8", false);
    makeTexture("gb_specular", w, h, "rgba_8", false);
    makeTexture("gb_normal", w, h, "rgba_fp16", false);
    makeTexture("gb_light", w, h, "rgba_fp16", true);
    makeTexture("backbuffer_depth", w, h, "r_fp32", false);
    makeTexture("gb_depth", w, h, "depth_24", false);
    makeTexture("mlaa_buffer", w, h, "rgba_fp16", true);
    makeTexture("ssao_temp_color", w, h, "rgba_fp16", true);
    makeTexture("ssao_buffer", w, h, "rgba_fp16", true);
    makeTexture("blur_temp_color", w / 2, h / 2, "rgba_fp16", true);
    makeTexture("blur_color", w / 2, h / 2, "rgba_fp16", true);
    makeTexture("dof_color", w / 2, h / 2, "rgba_fp16", true);
    makeTexture("output_color", w, h, "rgba_8", false);
    bool ok = makeFramebuffer("gbuffer", {{0, "gb_diffuse"},
                                          {1, "gb_specular"},
                                          {2, "gb_normal"},
                                          {3, "gb_light"},
                                          {4, "backbuffer_depth"},
                                          {8, "gb_depth"}});
    ok = ok && makeFramebuffer("mlaa_buffer", {{0, "mlaa_buffer"}}) &&
         makeFramebuffer("ssao_temp", {{0, "ssao_temp_color"}}) &&
         makeFramebuffer("ssao_buffer", {{0, "ssao_buffer"}}) &&
         makeFramebuffer("blur_temp", {{0, "blur_temp_color"}}) &&
         makeFramebuffer("blur", {{0, "blur_color"}}) && makeFramebuffer("dof", {{0, "dof_color"}}) &&
         makeFramebuffer("output", {{0, "output_color"}});
    if (!ok) {
        *error = "a framebuffer is incomplete";
        return false;
    }

    // Unit random vectors, as the production makes them (here uniform draws, normalised).
    RandomDraw random(1);
    std::vector<float> normals(32 * 32 * 3);
    for (size_t i = 0; i < normals.size(); i += 3) {
        float x = random.next(), y = random.next(), z = random.next();
        float length = std::sqrt(x * x + y * y + z * z) + 1e-6f;
        normals[i] = x / length, normals[i + 1] = y / length, normals[i + 2] = z / length;
    }
    Ref<Texture2D> rotate = makeTexture("random_normals", 32, 32, "rgb_fp32", false);
    rotate->bind();
    TextureParams repeat = rotate->params();
    repeat.wrapS = repeat.wrapT = codes::kWrapRepeat;
    rotate->applyParams(repeat);
    rotate->upload(normals.data());
    // Grain: a fixed hash pattern.
    std::vector<uint8_t> grain(64 * 64 * 4);
    for (size_t i = 0; i < grain.size(); ++i)
        grain[i] = uint8_t((i * 2654435761u) >> 24);
    Ref<Texture2D> noise = makeTexture("noise", 64, 64, "rgba_8", true);
    noise->bind();
    TextureParams noiseParams = noise->params();
    noiseParams.wrapS = noiseParams.wrapT = codes::kWrapRepeat;
    noise->applyParams(noiseParams);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    noise->upload(grain.data());
    noise->unbind();
    Ref<Texture1D> gradient = makeRef<Texture1D>();
    gradient->create(256, codes::formatCode("rgb_8"));
    gradient->bind();
    uint8_t ramp[256 * 3];
    for (int i = 0; i < 256; ++i)
        ramp[3 * i] = uint8_t(i), ramp[3 * i + 1] = uint8_t(i * i / 255),
                 ramp[3 * i + 2] = uint8_t(255 - i / 2);
    glTexSubImage1D(GL_TEXTURE_1D, 0, 0, 256, GL_RGB, GL_UNSIGNED_BYTE, ramp);
    gradient->unbind();
    textureRegistry().insert("test_gradient", gradient);

    const unsigned vertexAndFragment = (1u << Program::kVertex) | (1u << Program::kFragment);
    ShaderLoader engineShaders(VORNDLE_SOURCE_DIR "/data/shaders/");
    ProgramBuilder engineBuilder(engineShaders, vertexAndFragment);
    for (const char* name : kPostPrograms)
        if (!engineBuilder.buildPlain(name)) {
            *error = std::string(name) + " does not build";
            return false;
        }
    ShaderLoader exampleShaders(VORNDLE_BINARY_DIR "/examples/post/data/shaders/");
    if (!ProgramBuilder(exampleShaders, vertexAndFragment).buildPlain("postdemo/gbuffer")) {
        *error = "the example's scene program does not build";
        return false;
    }
    return true;
}

void renderScene(Device& device, float time, Camera& camera) {
    const Ref<Program> scene = programRegistry().find("postdemo/gbuffer");
    Ref<VertexBuffer> quad = createQuadVertexBuffer();
    Ref<VertexArrayObject> array = VertexArrayObject::create(*scene, *quad, nullptr);
    const float angle = time * 0.25f;
    const Vec3 eye(7.0f * std::cos(angle), 2.6f + 0.8f * std::sin(time * 0.3f), 7.0f * std::sin(angle));
    const Ref<Framebuffer> gbuffer = framebufferRegistry().find("gbuffer");
    camera.previousView = camera.view;
    camera.view = Mat4::lookAt(eye, {0, 0.6f, 0}, {0, 1, 0});
    camera.projection =
        Mat4::perspective(50, float(gbuffer->width()) / float(gbuffer->height()), kNear, kFar);
    const Mat4& view = camera.view;
    const Mat4 viewProjection = Mat4::multiply(view, camera.projection);
    const Mat4 inverse = Mat4::inverse(viewProjection);

    device.bindFramebuffer(gbuffer);
    DepthStencilState depth;
    depth.depthTest = true;
    depth.depthFunc = codes::compareFunctionCode("always", 1);
    device.applyDepthStencil(depth);
    device.bindProgram(scene);
    glUniformMatrix4fv(scene->findUniform("InverseViewProjection")->location, 1, GL_TRUE, inverse.m);
    glUniformMatrix4fv(scene->findUniform("ViewProjection")->location, 1, GL_TRUE, viewProjection.m);
    glUniformMatrix4fv(scene->findUniform("View")->location, 1, GL_TRUE, view.m);
    scene->setVector3("Eye", eye.x, eye.y, eye.z);
    scene->setFloat("Time", time);
    device.bindVertexArray(array);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    device.bindVertexArray(nullptr);
    device.applyDepthStencil(DepthStencilState());
    device.resetState();
}

void feedCamera(BlitEngine& blit, const Camera& camera) {
    const Mat4& projection = camera.projection;
    blit.ssao().setInverseProjection(Mat4::inverse(projection));
    blit.ssao().setNearFar(kNear, kFar);
    blit.setProjectionCoefficients(blit.ssao().projectionCoefficients());
    blit.setCameraRange(kNear, kFar);
    blit.motionBlur().previousMatrix = Mat4::multiply(camera.previousView, projection);
    blit.motionBlur().currentMatrix = Mat4::inverse(Mat4::multiply(camera.view, projection));
}

std::vector<uint8_t> readPixels(const Framebuffer& framebuffer) {
    const int w = framebuffer.width(), h = framebuffer.height();
    std::vector<uint8_t> rows(size_t(w) * size_t(h) * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer.glName());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<uint8_t> bottomUp(rows.size());
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    const size_t stride = size_t(w) * 4;
    for (int y = 0; y < h; ++y)
        std::copy_n(bottomUp.data() + size_t(h - 1 - y) * stride, stride, rows.data() + size_t(y) * stride);
    return rows;
}

} // namespace post_resources
