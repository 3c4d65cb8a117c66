#include "deferred/DeferredScene.h"

#include "core/Diagnostics.h"
#include "demo/Registries.h"
#include "post/BlitEngine.h"
#include "post/MotionBlurEngine.h"
#include "post/SSAOEngine.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/ProfileScope.h"
#include "render/Program.h"
#include "render/SamplerSet.h"
#include "render/StateSet.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Scene.h"

namespace {

// The geometry pass's base states: opaque, depth-tested with LEQUAL, back faces culled. They
// become the stack's floor, so whatever a walk pushes pops back to them (the shadow passes too).
void setBaseStates(StateSet& states) {
    states.defaultBlend = BlendState();
    DepthStencilState& depth = states.defaultDepthStencil;
    depth = DepthStencilState();
    depth.depthTest = true;
    depth.depthFunc = codes::kCompareLequal;
    depth.depthWrite = true;
    RasterizerState& raster = states.defaultRasterizer;
    raster = RasterizerState();
    raster.cullEnabled = true;
    raster.cullFace = codes::kCullBack;
    raster.frontFace = codes::kWindingCcw;
    raster.polygonOffsetEnabled = false;
}

} // namespace

DeferredScene::DeferredScene() = default;

DeferredScene::~DeferredScene() {
    unload();
    cameraSelection = nullptr;
    lightVertexBuffer_ = nullptr;
    perPartObject = nullptr;
}

BlitEngine* DeferredScene::blitEngine() const {
    return static_cast<BlitEngine*>(perPartObject.get());
}

void DeferredScene::setBlitEngine(const Ref<BlitEngine>& engine) {
    perPartObject = engine;
}

bool DeferredScene::load(Ref<LoadingScreen>& loadingScreen) {
    stateSet_ = makeRef<StateSet>();
    setBaseStates(*stateSet_);
    scene_ = loadScene(loadingScreen);
    if (!scene_ || !setUpLights())
        return false;
    gBuffer_ = framebufferRegistry().find("gbuffer");
    lightAccumulation_ = framebufferRegistry().find("light_accumulation");
    // Without these two the part could only fail later while rendering; say so now.
    for (const Ref<Framebuffer>* fb : {&gBuffer_, &lightAccumulation_}) {
        const char* name = fb == &gBuffer_ ? "gbuffer" : "light_accumulation";
        if (!*fb) {
            diagnostic("data/demo.xml", name, "the deferred scene needs this framebuffer");
            return false;
        }
        if ((*fb)->width() <= 0 || (*fb)->height() <= 0) {
            diagnostic("data/demo.xml", name, "framebuffer has no size (%dx%d)", (*fb)->width(),
                       (*fb)->height());
            return false;
        }
    }
    return true;
}

void DeferredScene::unload() {
    aerialVertexArray_ = nullptr;
    aerialSamplerSet_ = nullptr;
    aerialProgram_ = nullptr;
    sky_ = nullptr;
    skyIndex_ = -1;
    lightVertexArrays_.clear();
    lightPrograms_.clear();
    lightSamplerSets_.clear();
    lights_.clear();
    cameras.clear();
    camera = nullptr;
    stateSet_ = nullptr;
    scene_ = nullptr;
    gBuffer_ = nullptr;
    lightAccumulation_ = nullptr;
}

void DeferredScene::update(float time, float) {
    if (scene_)
        scene_->update(time);
}

void DeferredScene::renderGBufferExtras(Ref<Device>&, const Mat4&, float) {}

void DeferredScene::renderAfterLights(Ref<Device>&, const Mat4&, float) {}

bool DeferredScene::setUpCamera(Device& device) {
    if (!camera || camera->kind() != KindCamera || !gBuffer_ || gBuffer_->height() <= 0)
        return false;
    Camera& cam = static_cast<Camera&>(*camera);
    if (!cam.updateProjection(float(gBuffer_->width()) / float(gBuffer_->height())))
        return false;
    const Mat4 inverseProjection = Mat4::inverse(cam.projection);
    device.setMatrix(codes::kProjectionMatrix, cam.projection);
    device.setMatrix(codes::kProjectionMatrixInverse, inverseProjection);
    ViewVolume::fromViewProjection(cam.projection * cam.view, viewVolume);
    projCoeffs_[0] = inverseProjection[0];
    projCoeffs_[1] = inverseProjection[5];
    projCoeffs_[2] = inverseProjection[11];
    projCoeffs_[3] = inverseProjection[14];
    projCoeffs_[4] = inverseProjection[15];
    return true;
}

void DeferredScene::render(Ref<Device>& device, float time, float) {
    if (!device || !scene_ || !setUpCamera(*device))
        return;
    Camera& cam = static_cast<Camera&>(*camera);
    if (BlitEngine* blit = blitEngine()) {
        // The occlusion pass rebuilds eye positions from depth with the whole inverse projection,
        // and projects its samples back with the coefficients taken from it.
        if (blit->engine(BlitEngine::kAmbientOcclusion)) {
            blit->ssao().setNearFar(cam.nearZ, cam.farZ);
            blit->ssao().setInverseProjection(device->matrix(codes::kProjectionMatrixInverse));
        }
        blit->setCameraRange(cam.nearZ, cam.farZ);
        blit->noise[1] = time;
        if (blit->engine(BlitEngine::kMotionBlur)) {
            if (previousViewCamera != camera.get())
                previousView = cam.view;
            const Mat4 viewProjection = cam.projection * cam.view;
            blit->motionBlur().currentMatrix = Mat4::inverse(viewProjection);
            blit->motionBlur().previousMatrix = cam.projection * previousView;
        }
    }
    previousView = cam.view;
    previousViewCamera = camera.get();
    fillLightRecords();
    renderGeometry(device, time);
    renderLights(device, time);
    if (BlitEngine* blit = blitEngine())
        blit->run(*device);
}

void DeferredScene::renderGeometry(Ref<Device>& device, float time) {
    inverseTargetSize_[0] = 1.0f / float(gBuffer_->width());
    inverseTargetSize_[1] = 1.0f / float(gBuffer_->height());
    ProfileScope pass(*device, "gbuffer");
    device->bindFramebuffer(gBuffer_);
    StateSet& states = *stateSet_;
    setBaseStates(states);
    const DepthStencilState depth = states.defaultDepthStencil;
    const RasterizerState raster = states.defaultRasterizer;
    states.setDevice(device);
    // Clears obey the depth and colour write masks, which the light pass left off: the base states
    // go in first so every attachment and the depth really start cleared.
    states.reset();
    static const float kBlack[4] = {0, 0, 0, 0};
    static const float kUp[4] = {0, 0, 1, 0};
    glClearBufferfv(GL_COLOR, 0, kBlack);
    glClearBufferfv(GL_COLOR, 1, kBlack);
    glClearBufferfv(GL_COLOR, 2, kUp);
    glClearBufferfv(GL_COLOR, 3, kBlack);
    glClearBufferfi(GL_DEPTH_STENCIL, 0, 1.0f, 0);

    Camera& cam = static_cast<Camera&>(*camera);
    scene_->viewVolume = viewVolume;
    scene_->render(cam.view, stateSet_, 0);

    if (decals) {
        pass.next(*device, "decals");
        static const GLenum kDecalBuffers[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT2};
        glDrawBuffers(2, kDecalBuffers);
        BlendState decalBlend;
        decalBlend.enabled = true;
        decalBlend.equation = codes::kEquationAdd;
        decalBlend.srcRGB = decalBlend.srcAlpha = codes::kFactorSrcAlpha;
        decalBlend.dstRGB = decalBlend.dstAlpha = codes::kFactorOneMinusSrcAlpha;
        decalBlend.colorMask[3] = false;
        DepthStencilState decalDepth = depth;
        decalDepth.depthWrite = false;
        RasterizerState decalRaster = raster;
        decalRaster.polygonOffsetEnabled = true;
        decalRaster.polygonOffsetMode = codes::kOffsetFill;
        decalRaster.polygonOffsetFactor = -2.0f;
        decalRaster.polygonOffsetUnits = 2.0f;
        states.pushBlend(decalBlend);
        states.pushDepthStencil(decalDepth);
        states.pushRasterizer(decalRaster);
        renderGBufferExtras(device, cam.view, time);
        states.popRasterizer();
        states.popDepthStencil();
        states.popBlend();
        glDrawBuffers(gBuffer_->drawBufferCount(), gBuffer_->drawBuffers());
    }
}
