#include "VorndleSceneTemplate.h"

#include "VorndleSceneLoaderHandler.h"
#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "core/Contract.h"
#include "core/Diagnostics.h"
#include "core/GzipInputStream.h"
#include "core/LoadPhases.h"
#include "core/OutputStream.h"
#include "core/Paths.h"
#include "deferred/CascadedShadows.h"
#include "demo/Registries.h"
#include "demo/RequiredResources.h"
#include "math/Vec2.h"
#include "math/Vec4.h"
#include "post/BlitEngine.h"
#include "post/MultiPassEngine.h"
#include "post/ParamBlock.h"
#include "post/RadialBlurEngine.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Gl.h"
#include "render/ProfileScope.h"
#include "render/Program.h"
#include "render/SamplerSet.h"
#include "render/StateSet.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"
#include "scene/Camera.h"
#include "scene/Envelope.h"
#include "scene/Scene.h"
#include "scene/Skeleton.h"
#include "scenefile/SceneLoaderXML.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

bool readEnvelope(InputStream& in, Ref<Envelope>& envelope) {
    envelope = makeRef<Envelope>();
    return envelope->read(in);
}

// The record needs at least one key: an envelope with none is written as its value everywhere.
bool writeEnvelope(OutputStream& out, const Ref<Envelope>& envelope) {
    if (envelope && envelope->keyCount() > 0)
        return envelope->write(out);
    Envelope constant;
    EnvelopeKey key;
    key.value = envelope ? envelope->evaluate(0) : 0.0f;
    constant.insertKey(key);
    return constant.write(out);
}

float valueAt(const Ref<Envelope>& envelope, float time, float fallback) {
    return envelope ? envelope->evaluate(time) : fallback;
}

BlendState blending(int source, int destination) {
    BlendState blend;
    blend.enabled = true;
    blend.srcRGB = blend.srcAlpha = source;
    blend.dstRGB = blend.dstAlpha = destination;
    return blend;
}

void renderNodeAlone(Scene& scene, Node& node) {
    node.enabled = true;
    scene.renderNode(&node);
    node.enabled = false;
}

} // namespace

VorndleSceneTemplate::VorndleSceneTemplate(const std::string& partName_, const std::string& sceneFileName_)
    : partName(partName_), sceneFileName(sceneFileName_) {
    radiusScale = 0.25f;
    lightParticles = true;
}

VorndleSceneTemplate::~VorndleSceneTemplate() {
    VorndleSceneTemplate::unload();
}

void VorndleSceneTemplate::unload() {
    sunLight = nullptr;
    atmosphereModel = nullptr;
    atmosphereBuffer = nullptr;
    overlayProgram = nullptr;
    overlaySamplerSet = nullptr;
    outroSamplerSet = nullptr;
    overlayVertexArray = nullptr;
    emissionSphereNode = nullptr;
    moonNode = nullptr;
    if (shadows)
        shadows->release();
    shadows = nullptr;
    skeletons.clear();
    additiveNodes.clear();
    alphaNodes.clear();
    decalNodes.clear();
    if (BlitEngine* blit = blitEngine())
        blit->release();
    setBlitEngine(nullptr);
    DeferredScene::unload();
}

Ref<Envelope>* VorndleSceneTemplate::stateEnvelope(vorndle_state::PartEnvelope which) {
    using vorndle_state::PartEnvelope;
    switch (which) {
    case PartEnvelope::None:
        VORNDLE_EXPECTS(false, "every envelope section of the state layout names its envelope");
        return nullptr;
    case PartEnvelope::CameraSelection:
        return &cameraSelection;
    case PartEnvelope::TimeOfDay:
        return &timeOfDay;
    case PartEnvelope::Gamma:
        return &gamma;
    case PartEnvelope::Turbidity:
        return &turbidity;
    case PartEnvelope::SunIntensity:
        return &sunIntensity;
    case PartEnvelope::RayleighFactor:
        return &rayleighFactor;
    case PartEnvelope::MieFactor:
        return &mieFactor;
    case PartEnvelope::ColourScale:
        return &colourScale;
    case PartEnvelope::AzimuthOffset:
        return &azimuthOffset;
    case PartEnvelope::LutFade:
        return &lutFade;
    case PartEnvelope::EffectMode:
        return &effectModeEnvelope;
    case PartEnvelope::DepthOfFieldSwitch:
        return &depthOfFieldSwitch;
    case PartEnvelope::DepthOfFieldParam0:
        return &depthOfFieldParams[0];
    case PartEnvelope::DepthOfFieldParam1:
        return &depthOfFieldParams[1];
    case PartEnvelope::DepthOfFieldParam2:
        return &depthOfFieldParams[2];
    case PartEnvelope::CloudHeight:
        return &cloudHeight;
    }
    return nullptr;
}

float* VorndleSceneTemplate::stateFloats(const vorndle_state::FieldLayout& field) {
    using vorndle_state::PartValue;
    float* values = nullptr;
    int count = 0;
    switch (field.value) {
    case PartValue::None:
        break;
    case PartValue::TerrainDetail:
        values = terrainDetailParams;
        count = 2;
        break;
    case PartValue::ShadowIntensity:
        values = &shadowIntensity;
        count = 1;
        break;
    case PartValue::Spare:
        values = &spare;
        count = 1;
        break;
    case PartValue::MaterialSmoothness:
        values = materialSmoothness;
        count = kSmoothnessCount;
        break;
    case PartValue::CloudHeightScale:
        values = &cloudHeightScale;
        count = 1;
        break;
    case PartValue::TerrainTexCoordScale:
        values = &terrainTexCoordScale;
        count = 1;
        break;
    }
    const bool fits = values && field.kind == vorndle_state::FieldKind::Float && field.count == count;
    VORNDLE_EXPECTS(fits, "each values field of the state layout matches the part's member");
    return values;
}

// The part's own sections of the state in file order, as the layout table lists them (the chain's
// blocks open the file and are the chain's to read and write): `envelope` is handed each envelope,
// `floats` each field of numbers with its count, and `valuesBegin` runs as a section of numbers
// starts. Stops at the first false.
template <class OnEnvelope, class OnValuesBegin, class OnFloats>
bool VorndleSceneTemplate::walkStateSections(OnEnvelope envelope, OnValuesBegin valuesBegin,
                                             OnFloats floats) {
    using vorndle_state::SectionKind;
    for (const vorndle_state::SectionLayout& section : vorndle_state::sections()) {
        switch (section.kind) {
        case SectionKind::ChainBlock:
            break;
        case SectionKind::Envelope: {
            Ref<Envelope>* slot = stateEnvelope(section.envelope);
            if (!slot || !envelope(*slot))
                return false;
            break;
        }
        case SectionKind::Values:
            valuesBegin();
            for (int f = 0; f < section.fieldCount; ++f) {
                float* values = stateFloats(section.fields[f]);
                if (!values || !floats(values, size_t(section.fields[f].count)))
                    return false;
            }
            break;
        }
    }
    return true;
}

bool VorndleSceneTemplate::readState(InputStream& in) {
    BlitEngine* blit = blitEngine();
    if (!blit || !blit->readState(in))
        return false;
    blit->passCounts[BlitEngine::kDepthOfFieldBlur] = 2;
    return walkStateSections(
        [&](Ref<Envelope>& envelope) { return readEnvelope(in, envelope); },
        [this] {
            terrainDetailParams[0] = 1.0f;
            terrainDetailParams[1] = 0.5f;
            shadowIntensity = 1.0f;
            spare = 0.5f;
        },
        // Finite numbers only (a NaN here would reach every frame's uniforms).
        [&](float* values, size_t count) { return param_block::readFloats(in, values, count); });
}

bool VorndleSceneTemplate::writeState(OutputStream& out) {
    BlitEngine* blit = blitEngine();
    if (!blit || !blit->writeState(out))
        return false;
    return walkStateSections(
        [&](Ref<Envelope>& envelope) { return writeEnvelope(out, envelope); }, [] {},
        [&](float* values, size_t count) { return param_block::writeFloats(out, values, count); });
}

void VorndleSceneTemplate::registerValues(VorndleSceneLoaderHandler& handler) {
    handler.registerFloat("time", 1, &currentTime);
    handler.registerFloat("projCoeffs", 5, projCoeffs_);
    handler.registerFloat("viewport", 2, inverseTargetSize_);
    handler.registerFloat("cloudOffsets", 2, cloudOffsets);
    handler.registerFloat("cloudHeightScale", 1, &cloudHeightScale);
    handler.registerFloat("terrain.detailParams", 2, terrainDetailParams);
    handler.registerFloat("terrain.texCoord.scale", 1, &terrainTexCoordScale);
    handler.registerVector4("EmissionSphere", emissionSphere);
    handler.registerFloat("terrain.smooth", 4, materialSmoothness);
    for (int i = 4; i < kSmoothnessCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "material.smooth[%d]", i);
        handler.registerFloat(name, 1, &materialSmoothness[i]);
    }
}

bool VorndleSceneTemplate::setUpOverlay() {
    // The overlays are decoration: without their program or pictures the part plays without them.
    overlayProgram = programRegistry().find("zul/overlay");
    const Ref<VertexBuffer>& quad = MultiPassEngine::sharedQuad();
    if (!overlayProgram || !quad)
        return false;
    overlaySamplerSet = makeRef<SamplerSet>();
    outroSamplerSet = makeRef<SamplerSet>();
    addByName(*overlaySamplerSet, "overlay", overlayProgram.get(), "overlay");
    addByName(*outroSamplerSet, "outro_screen", overlayProgram.get(), "overlay");
    overlayVertexArray = VertexArrayObject::create(*overlayProgram, *quad, nullptr);
    if (overlayVertexArray)
        overlayVertexArray->setReference(quad);
    const UniformInfo* fade = overlayProgram->findUniform("fade");
    fadeLocation_ = fade ? int(fade->location) : -1;
    return overlayVertexArray != nullptr;
}

Ref<Scene> VorndleSceneTemplate::loadScene(Ref<LoadingScreen>& loadingScreen) {
    RequiredResources required("part \"" + partName + "\"");
    const Ref<Framebuffer> backbuffer = required.framebuffer("backbuffer");
    if (!backbuffer)
        return nullptr;
    if (backbuffer->width() <= 0 || backbuffer->height() <= 0) {
        diagnostic("data/demo.xml", "backbuffer", "framebuffer has no size (%dx%d)", backbuffer->width(),
                   backbuffer->height());
        return nullptr;
    }
    aspect = float(backbuffer->width()) / float(backbuffer->height());

    Ref<BlitEngine> blit = makeRef<BlitEngine>();
    blit->debugBuffer = "flower1_normal";
    if (!blit->setUp("hos_gradient", backbuffer->width(), backbuffer->height()))
        return nullptr;
    blit->passCounts[BlitEngine::kDepthOfFieldBlur] = 2;
    blit->gamma[1] = 2.2f;
    // A filmic curve after exposure: a soft toe, and a shoulder that lets the bright sky and the
    // sun's glow roll off instead of clipping.
    const float tone[4] = {0.2f, 0.35f, 1.1f, 1.0f};
    std::copy(tone, tone + 4, blit->tone);
    blit->updatePermutation();
    setBlitEngine(blit);

    setUpOverlay();

    stateFile_ = "data/" + partName + ".dat";
    const std::string statePath = resolveDataPath(stateFile_);
    if (const std::string why = unreadableFileReason(statePath); !why.empty()) {
        diagnostic(stateFile_.c_str(), "state", "%s", why.c_str());
        return nullptr;
    }
    {
        LoadPhaseScope phase(LoadPhases::StateFiles);
        GzipInputStream in(statePath);
        if (!in.isOpen()) {
            diagnostic(stateFile_.c_str(), "state", "cannot be opened as a gzip file");
            return nullptr;
        }
        if (!readState(in)) {
            diagnostic(stateFile_.c_str(), "state", "malformed or truncated state");
            return nullptr;
        }
    }

    Ref<VorndleSceneLoaderHandler> handler = makeRef<VorndleSceneLoaderHandler>();
    registerValues(*handler);
    Ref<SceneLoaderXML> loader = makeRef<SceneLoaderXML>();
    loader->setHandler(handler);
    const std::string scenePath = "data/scenes/" + sceneFileName;
    Ref<Scene> scene = loader->load(scenePath, loadingScreen);
    if (!scene)
        return nullptr;

    if (Node* sun = scene->findByNameAndKind("atmospherical light", KindAtmosphericalLight)) {
        AtmosphericalLight& light = static_cast<AtmosphericalLight&>(*sun);
        if (light.shadowCasterMask != 0) {
            shadows = makeRef<CascadedShadows>();
            if (!shadows->load(light))
                return nullptr;
        }
        sunLight = sun;
        atmosphereModel = light.model;
        atmosphereBuffer = light.uniformBuffer;
    }

    cameras.clear();
    scene->collectByKind(KindCamera, cameras);
    if (cameras.empty()) {
        diagnostic(scenePath.c_str(), "scene", "no camera: a scene part needs at least one");
        return nullptr;
    }
    camera = cameras[0];
    scene->collectByKind(KindSkeleton, skeletons);

    scene->collectByName("decals", decalNodes);
    decals = std::any_of(decalNodes.begin(), decalNodes.end(), [](const Ref<Node>& n) { return n->enabled; });
    // Decals draw only in their own pass over the G-buffer, never with the opaque geometry.
    for (const Ref<Node>& node : decalNodes)
        node->enabled = false;
    scene->collectByName("particlesystem", additiveNodes);
    scene->collectByName("postlighting", alphaNodes);
    for (const Ref<Node>& node : additiveNodes)
        node->enabled = false;
    for (const Ref<Node>& node : alphaNodes)
        node->enabled = false;

    emissionSphereNode = scene->findByName("EmissionSphere");
    moonNode = scene->findByName("moon");
    return scene;
}

int VorndleSceneTemplate::cameraIndex(float selection, int cameraCount) {
    if (cameraCount <= 0)
        return -1;
    if (!(selection >= 0)) // negative or NaN
        return 0;
    const float index = std::floor(selection);
    return index >= float(cameraCount - 1) ? cameraCount - 1 : int(index);
}

int VorndleSceneTemplate::effectMode(float value) {
    const float mode = std::floor(value + 0.5f);
    return mode == 1.0f ? 1 : mode == 2.0f ? 2 : 0;
}

float VorndleSceneTemplate::outroFade(float time) {
    if (!(time > 245.0f))
        return 0.0f;
    const float a = std::clamp((time - 245.0f) * 0.125f, 0.0f, 1.0f);
    const float b = std::clamp((time - 254.0f) / 10.0f, 0.0f, 1.0f);
    return (3.0f - 2.0f * a) * a * a - (3.0f - 2.0f * b) * b * b;
}

bool VorndleSceneTemplate::radialOrigin(const Mat4& projection, const Mat4& view, const Vec3& world,
                                        float origin[2]) {
    const Vec4 clip = Mat4::transform(projection * view, Vec4(world.x, world.y, world.z, 1.0f));
    // The screen point divides by the clip depth: for the far sun and moon it equals the usual
    // division by w, and it keeps a point behind the camera from flipping onto the screen.
    if (!(std::fabs(clip.z) > 1e-6f))
        return false;
    const float sx = clip.x / clip.z, sy = clip.y / clip.z;
    if (!std::isfinite(sx) || !std::isfinite(sy))
        return false;
    origin[0] = std::clamp(0.5f * sx + 0.5f, 0.0f, 1.0f);
    origin[1] = std::clamp(0.5f * sy + 0.5f, 0.0f, 1.0f);
    return true;
}

void VorndleSceneTemplate::update(float time, float step) {
    currentTime = time;
    const int index = cameraIndex(valueAt(cameraSelection, time, 0.0f), int(cameras.size()));
    if (index >= 0)
        camera = cameras[size_t(index)];
    cloudOffsets[1] += step * 0.015f;
    if (cloudHeight)
        cloudHeightScale = cloudHeight->evaluate(time);
    DeferredScene::update(time, step);
    if (emissionSphereNode) {
        const Mat4& world = emissionSphereNode->transform.world;
        emissionSphere[0] = world[3];
        emissionSphere[1] = world[7];
        emissionSphere[2] = world[11];
        emissionSphere[3] = 5.0f;
    }
    if (sunLight && atmosphereModel) {
        AtmosphereModel& model = *atmosphereModel;
        model.setTurbidity(valueAt(turbidity, time, model.turbidity));
        model.sunIntensity = valueAt(sunIntensity, time, model.sunIntensity);
        model.setScattering(valueAt(rayleighFactor, time, model.rayleighFactor),
                            valueAt(mieFactor, time, model.mieFactor));
        model.azimuthOffset = valueAt(azimuthOffset, time, model.azimuthOffset);
        model.setTimeOfDay(valueAt(timeOfDay, time, model.timeOfDay));
        model.colourScale = valueAt(colourScale, time, model.colourScale);
    }
    for (const Ref<Node>& skeleton : skeletons)
        static_cast<Skeleton&>(*skeleton).updatePalette();
}

void VorndleSceneTemplate::render(Ref<Device>& device, float time, float step) {
    if (!device || !scene_ || !camera)
        return;
    // The camera's projection for this frame first: the cascades are split by its depth range, and
    // a still (one frame after the simulation caught up) has no earlier frame to borrow it from.
    if (!setUpCamera(*device))
        return;
    Camera& cam = static_cast<Camera&>(*camera);
    // Below the horizon the sun gives no light, so its shadows would not show: the cascades wait.
    const bool sunDown = atmosphereModel && atmosphereModel->sunColour.x <= 0.0f &&
                         atmosphereModel->sunColour.y <= 0.0f && atmosphereModel->sunColour.z <= 0.0f;
    if (sunLight && shadows && sunLight->shadowCasterMask != 0 && !sunDown)
        shadows->update(cam, static_cast<AtmosphericalLight&>(*sunLight), *this, device, aspect,
                        shadowIntensity);

    if (BlitEngine* blit = blitEngine()) {
        blit->gamma[0] = valueAt(gamma, time, blit->gamma[0]);
        blit->lutFade = valueAt(lutFade, time, blit->lutFade);
        blit->effects[BlitEngine::kFlagDepthOfField] = valueAt(depthOfFieldSwitch, time, 0.0f) > 0.5f;
        for (int i = 0; i < kDepthOfFieldParams; ++i)
            blit->dofParams[i] = valueAt(depthOfFieldParams[i], time, blit->dofParams[i]);
        blit->setProjectionCoefficients(projCoeffs_);
        blit->setCameraRange(cam.nearZ, cam.farZ);
        const int mode = effectMode(valueAt(effectModeEnvelope, time, 0.0f));
        blit->effects[BlitEngine::kFlagGlow] = mode == 1;
        blit->effects[BlitEngine::kFlagRadialBlur] = mode == 2;
        // The composite reads the occlusion pass's result, which already holds the occlusion: the
        // composites that multiply it in again are for colour that skipped that pass.
        blit->updatePermutation();
        if (mode == 2 && blit->engine(BlitEngine::kRadialBlur)) {
            Vec3 target;
            bool found = true;
            if (moonNode) {
                const Mat4& world = moonNode->transform.world;
                target = Vec3(world[3], world[7], world[11]);
            } else if (atmosphereModel) {
                target = atmosphereModel->sunPosition;
            } else {
                found = false;
            }
            float origin[2];
            if (found && radialOrigin(cam.projection, cam.view, target, origin))
                blit->radialBlur().origin = Vec2(origin[0], origin[1]);
        }
    }

    DeferredScene::render(device, time, step);
    drawOverlays(*device, time);
}

void VorndleSceneTemplate::drawOverlays(Device& device, float time) {
    if (!overlayProgram || !overlayVertexArray)
        return;
    ProfileScope pass(device, "overlays");
    DepthStencilState noDepth;
    noDepth.depthTest = false;
    noDepth.depthWrite = false;
    device.applyDepthStencil(noDepth);
    RasterizerState noCulling;
    noCulling.cullEnabled = false;
    device.applyRasterizer(noCulling);
    device.applyBlend(blending(codes::kFactorDstColor, codes::kFactorZero));
    device.bindProgram(overlayProgram);
    if (fadeLocation_ >= 0)
        glUniform1f(fadeLocation_, 1.0f);
    device.bindVertexArray(overlayVertexArray);
    device.bindSamplerSet(overlaySamplerSet);
    device.checkState();
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    if (time > 245.0f) {
        // The outro screen darkens the frame behind its text by its alpha, then adds the text.
        device.bindSamplerSet(outroSamplerSet);
        if (fadeLocation_ >= 0)
            glUniform1f(fadeLocation_, outroFade(time));
        device.applyBlend(blending(codes::kFactorZero, codes::kFactorOneMinusSrcAlpha));
        device.checkState();
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        device.applyBlend(blending(codes::kFactorOne, codes::kFactorOne));
        device.checkState();
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    device.bindVertexArray(nullptr);
}

void VorndleSceneTemplate::renderGBufferExtras(Ref<Device>&, const Mat4&, float) {
    for (const Ref<Node>& node : decalNodes)
        renderNodeAlone(*scene_, *node);
}

void VorndleSceneTemplate::renderAfterLights(Ref<Device>& device, const Mat4&, float) {
    if (additiveNodes.empty() && alphaNodes.empty())
        return;
    StateSet& states = *stateSet_;
    states.setDevice(device);
    states.reset();
    DepthStencilState depth = states.defaultDepthStencil;
    depth.depthTest = false;
    depth.depthWrite = false;
    RasterizerState raster = states.defaultRasterizer;
    raster.cullEnabled = false;
    states.pushDepthStencil(depth);
    states.pushRasterizer(raster);
    states.pushBlend(blending(codes::kFactorSrcAlpha, codes::kFactorOneMinusSrcAlpha));
    for (const Ref<Node>& node : alphaNodes)
        renderNodeAlone(*scene_, *node);
    states.popBlend();
    states.pushBlend(blending(codes::kFactorOne, codes::kFactorOne));
    for (const Ref<Node>& node : additiveNodes)
        renderNodeAlone(*scene_, *node);
    states.popBlend();
    states.popRasterizer();
    states.popDepthStencil();
}
