#include "PostPart.h"

#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "math/RandomDraw.h"
#include "post/BlitEngine.h"
#include "post/GlowEngine.h"
#include "post/LightStreaksEngine.h"
#include "post/MotionBlurEngine.h"
#include "post/RadialBlurEngine.h"
#include "post/SSAOEngine.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/QuadVertexBuffer.h"
#include "render/RenderStates.h"
#include "render/Texture1D.h"
#include "render/Texture2D.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

#include <cmath>
#include <vector>

namespace {

constexpr float kNear = 0.5f, kFar = 60.0f;

// The unit vectors the occlusion pass turns its kernel with: 32 x 32 Gaussian draws, normalised.
void registerRandomNormals() {
    if (textureRegistry().contains("random_normals"))
        return;
    RandomDraw random(1);
    auto gaussian = [&random] {
        float u, v, r;
        do {
            u = random.next();
            v = random.next();
            r = u * u + v * v;
        } while (r > 1.0f || r == 0.0f);
        return std::sqrt(float(-2.0 * std::log(double(r))) / r) * u;
    };
    std::vector<float> texels(32 * 32 * 3);
    for (size_t i = 0; i < texels.size(); i += 3) {
        float x = gaussian(), y = gaussian(), z = gaussian();
        float scale = 1.0f / std::sqrt(x * x + y * y + z * z);
        texels[i] = x * scale, texels[i + 1] = y * scale, texels[i + 2] = z * scale;
    }
    Ref<Texture2D> texture = makeRef<Texture2D>();
    texture->create(32, 32, codes::formatCode("rgb_fp32"));
    texture->bind();
    TextureParams params;
    params.magFilter = params.minFilter = codes::kFilterNearest;
    params.wrapS = params.wrapT = codes::kWrapRepeat;
    texture->applyParams(params);
    texture->upload(texels.data());
    texture->unbind();
    textureRegistry().insert("random_normals", texture);
}

// A warm-to-cold duotone gradient the composite can fade to.
void registerGradient() {
    if (textureRegistry().contains("post_gradient"))
        return;
    unsigned char texels[256 * 3];
    for (int i = 0; i < 256; ++i) {
        float t = float(i) / 255.0f;
        texels[3 * i] = (unsigned char)(255.0f * std::pow(t, 0.8f));
        texels[3 * i + 1] = (unsigned char)(255.0f * t * t);
        texels[3 * i + 2] = (unsigned char)(255.0f * (0.3f + 0.7f * std::sqrt(t)) * (1.0f - 0.5f * t));
    }
    Ref<Texture1D> texture = makeRef<Texture1D>();
    texture->create(256, codes::formatCode("rgb_8"));
    texture->bind();
    TextureParams params;
    params.wrapS = params.wrapT = params.wrapR = codes::kWrapEdge;
    texture->applyParams(params);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage1D(GL_TEXTURE_1D, 0, 0, 256, GL_RGB, GL_UNSIGNED_BYTE, texels);
    texture->unbind();
    textureRegistry().insert("post_gradient", texture);
}

} // namespace

PostPart::PostPart() = default;

PostPart::~PostPart() {
    unload();
}

void PostPart::applyCombination(BlitEngine& blit, int index) {
    // glow, light streaks, radial blur, depth of field, motion blur instead of the focus blur
    static const bool kCombinations[][5] = {
        {false, false, false, false, false}, {true, false, false, false, false},
        {false, true, false, false, false},  {false, false, true, false, false},
        {false, false, false, true, false},  {true, false, false, true, false},
        {false, false, false, true, true},   {false, true, false, true, true},
    };
    const int count = int(sizeof kCombinations / sizeof kCombinations[0]);
    const bool* c = kCombinations[((index % count) + count) % count];
    blit.effects[BlitEngine::kFlagGlow] = c[0];
    blit.effects[BlitEngine::kFlagLightStreaks] = c[1];
    blit.effects[BlitEngine::kFlagRadialBlur] = c[2];
    blit.effects[BlitEngine::kFlagDepthOfField] = c[3];
    blit.effects[BlitEngine::kFlagMotionBlur] = c[4];
    blit.updatePermutation();
}

bool PostPart::load(Ref<LoadingScreen>& loadingScreen) {
    scene_ = programRegistry().find("postdemo/gbuffer");
    gbuffer_ = framebufferRegistry().find("gbuffer");
    if (!scene_ || !gbuffer_)
        return false;
    auto location = [this](const char* name) {
        const UniformInfo* info = scene_->findUniform(name);
        return info ? info->location : -1;
    };
    inverseViewProjection_ = location("InverseViewProjection");
    viewProjection_ = location("ViewProjection");
    view_ = location("View");
    registerRandomNormals();
    registerGradient();
    quad_ = createQuadVertexBuffer();
    quadArray_ = VertexArrayObject::create(*scene_, *quad_, nullptr);

    blit_ = makeRef<BlitEngine>();
    if (!blit_->setUp("post_gradient", gbuffer_->width(), gbuffer_->height()))
        return false;
    blit_->passCounts[0] = 2;
    blit_->passCounts[1] = 3;
    blit_->passCounts[2] = 3;
    blit_->passCounts[6] = 2;
    blit_->dofParams[0] = 5.0f;
    blit_->dofParams[1] = 1.0f;
    blit_->dofParams[2] = 5.0f;
    blit_->noise[2] = 0.03f;
    blit_->ssao().params.radius = 0.35f;
    blit_->glow().color = Vec4(1.0f, 1.0f, 1.0f, 0.6f);
    blit_->lightStreaks().color = Vec4(1.5f, 1.5f, 1.5f, 0.5f);
    blit_->radialBlur().color = Vec4(1.2f, 1.2f, 1.2f, 1.0f);
    blit_->radialBlur().radialParams = Vec2(0.0f, 0.9f);
    blit_->setCameraRange(kNear, kFar);

    if (loadingScreen) {
        loadingScreen->progress += loadingScreen->getStep();
        loadingScreen->draw(loadingScreen->device, 1.0f);
    }
    return quadArray_ != nullptr;
}

void PostPart::unload() {
    blit_ = nullptr;
    quadArray_ = nullptr;
    quad_ = nullptr;
    gbuffer_ = nullptr;
    scene_ = nullptr;
}

void PostPart::update(float time, float) {
    time_ = time;
    applyCombination(*blit_, int(std::floor(time / 4.0f)));
}

void PostPart::render(Ref<Device>& device, float time, float) {
    const int width = gbuffer_->width(), height = gbuffer_->height();
    const float angle = time * 0.25f;
    const Vec3 eye(7.0f * std::cos(angle), 2.6f + 0.8f * std::sin(time * 0.3f), 7.0f * std::sin(angle));
    const Mat4 view = Mat4::lookAt(eye, {0, 0.6f, 0}, {0, 1, 0});
    const Mat4 projection = Mat4::perspective(50, float(width) / float(height), kNear, kFar);
    const Mat4 viewProjection = Mat4::multiply(view, projection);
    const Mat4 inverseViewProjection = Mat4::inverse(viewProjection);

    device->bindFramebuffer(gbuffer_);
    DepthStencilState depth;
    depth.depthTest = true;
    depth.depthFunc = codes::compareFunctionCode("always", 1);
    device->applyDepthStencil(depth);
    device->bindProgram(scene_);
    glUniformMatrix4fv(scene_->findUniform("InverseViewProjection")->location, 1, GL_TRUE,
                       inverseViewProjection.m);
    glUniformMatrix4fv(scene_->findUniform("ViewProjection")->location, 1, GL_TRUE, viewProjection.m);
    glUniformMatrix4fv(scene_->findUniform("View")->location, 1, GL_TRUE, view.m);
    scene_->setVector3("Eye", eye.x, eye.y, eye.z);
    scene_->setFloat("Time", time);
    device->bindVertexArray(quadArray_);
    device->checkState();
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    device->bindVertexArray(nullptr);
    device->applyDepthStencil(DepthStencilState());

    // What the deferred scene would hand the chain.
    const Mat4 inverseProjection = Mat4::inverse(projection);
    blit_->ssao().setInverseProjection(inverseProjection);
    blit_->ssao().setNearFar(kNear, kFar);
    blit_->setProjectionCoefficients(blit_->ssao().projectionCoefficients());
    blit_->setCameraRange(kNear, kFar);
    blit_->noise[1] = time;
    blit_->motionBlur().previousMatrix = Mat4::multiply(havePrevious_ ? previousView_ : view, projection);
    blit_->motionBlur().currentMatrix = inverseViewProjection;
    previousView_ = view;
    havePrevious_ = true;
    // Light shafts stream from the glowing sphere's place on screen.
    const Vec3 light(1.6f * std::cos(time * 0.4f), 1.1f + 0.3f * std::sin(time * 0.9f),
                     1.6f * std::sin(time * 0.4f));
    const Vec3 onScreen = Mat4::transformPoint(viewProjection, light);
    blit_->radialBlur().origin = Vec2(onScreen.x * 0.5f + 0.5f, onScreen.y * 0.5f + 0.5f);

    blit_->run(*device);
}
