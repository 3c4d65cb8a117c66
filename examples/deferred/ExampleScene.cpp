#include "ExampleScene.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "core/Diagnostics.h"
#include "deferred/CascadedShadows.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "math/RandomDraw.h"
#include "post/BlitEngine.h"
#include "post/GlowEngine.h"
#include "post/SSAOEngine.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/ProfileScope.h"
#include "render/Texture2D.h"
#include "render/UniformsBuilder.h"
#include "scene/Camera.h"
#include "scene/Envelope.h"
#include "scene/Light.h"
#include "scene/NodeKind.h"
#include "scene/ProjectiveLight.h"
#include "scene/Scene.h"
#include "scene/SpotLight.h"
#include "scenefile/SceneLoaderXML.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float kPi = 3.14159265f;

// The unit vectors the ambient-occlusion pass turns its kernel with (32 x 32, uniform on the
// sphere, from the engine's random draw).
void registerRandomNormals() {
    if (textureRegistry().contains("random_normals"))
        return;
    RandomDraw random(1);
    std::vector<float> texels(32 * 32 * 3);
    for (size_t i = 0; i < texels.size(); i += 3) {
        float x, y, z, r;
        do {
            x = random.next(), y = random.next(), z = random.next();
            r = x * x + y * y + z * z;
        } while (r > 1.0f || r < 1e-4f);
        r = 1.0f / std::sqrt(r);
        texels[i] = x * r, texels[i + 1] = y * r, texels[i + 2] = z * r;
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

// Shadow maps are read with hardware comparison (sampler2DShadow, sampler2DArrayShadow); the demo
// description declares only their filtering.
void compareInHardware(const Ref<Texture>& texture) {
    if (!texture)
        return;
    TextureParams params = texture->params();
    params.compare = true;
    texture->bind();
    texture->applyParams(params);
    texture->unbind();
}

template <class Visit> void walk(Node* node, Visit&& visit) {
    for (; node; node = node->nextSibling()) {
        visit(node);
        walk(node->firstChild(), visit);
    }
}

// The view of a light that shines along its local +Z axis (spot and projective lights): the
// light's frame turned half a turn about Y, so that +Z becomes the view's -Z.
Mat4 localLightView(const Light& light) {
    return Mat4::inverse(light.transform.world * Mat4::rotationY(kPi));
}

// The perspective that holds a local light's cone (or its projection), with some margin; near at
// a twentieth of its reach so the depth map keeps its precision where the casters are.
Mat4 localLightProjection(const Light& light) {
    float fovDegrees = 90.0f, aspect = 1.0f, radius = 1.0f;
    if (light.kind() == KindSpotLight) {
        const auto& spot = static_cast<const SpotLight&>(light);
        fovDegrees = 2.0f * std::acos(std::clamp(spot.cosCone, -1.0f, 1.0f)) * 180.0f / kPi + 8.0f;
        radius = spot.radius;
    } else if (light.kind() == KindProjectiveLight) {
        const auto& projective = static_cast<const ProjectiveLight&>(light);
        fovDegrees = projective.fov + 8.0f;
        aspect = projective.aspect;
        radius = projective.radius;
    }
    fovDegrees = std::clamp(fovDegrees, 10.0f, 150.0f);
    const float farZ = std::max(radius, 0.5f) * 1.1f;
    return Mat4::perspective(fovDegrees, aspect, farZ * 0.05f, farZ);
}

} // namespace

void ExampleLoaderHandler::createNode(Ref<Node>& node, const tinyxml2::XMLElement* element, Node* parent,
                                      bool& readNode, bool& handled) {
    if (std::strcmp(element->Name(), "sunpath") != 0) {
        CullingLoaderHandler::createNode(node, element, parent, readNode, handled);
        return;
    }
    // <sunpath><timeofday><envelope .../></timeofday><azimuth><envelope .../></azimuth></sunpath>
    handled = true;
    readNode = false;
    node = nullptr;
    for (const tinyxml2::XMLElement* c = element->FirstChildElement(); c; c = c->NextSiblingElement()) {
        const tinyxml2::XMLElement* envelope = c->FirstChildElement("envelope");
        if (!envelope)
            continue;
        if (std::strcmp(c->Name(), "timeofday") == 0)
            Envelope::readElement(envelope, timeOfDay);
        else if (std::strcmp(c->Name(), "azimuth") == 0)
            Envelope::readElement(envelope, azimuth);
    }
}

bool ExampleLoaderHandler::setUniform(UniformsBuilder& builder, const std::string& uniformName,
                                      const std::string& values) {
    float v[4] = {0, 0, 0, 0};
    int count = 0;
    const char* text = values.c_str();
    while (count < 4) {
        char* end;
        const float f = std::strtof(text, &end);
        if (end == text)
            break;
        v[count++] = f;
        text = end;
    }
    while (*text == ' ' || *text == '\t' || *text == ',')
        ++text;
    if (count == 0 || *text != 0)
        return CullingLoaderHandler::setUniform(builder, uniformName, values);
    values_.push_back({v[0], v[1], v[2], v[3]});
    const float* kept = values_.back().data();
    switch (count) {
    case 1:
        return builder.addFloat(uniformName, 1, kept);
    case 2:
        return builder.addVector2f(uniformName, 1, kept);
    case 3:
        return builder.addVector3f(uniformName, 1, kept);
    default:
        return builder.addVector4f(uniformName, 1, kept);
    }
}

ExampleScene::ExampleScene(std::string sceneFile) : sceneFile_(std::move(sceneFile)) {}

ExampleScene::~ExampleScene() {
    unload();
}

Ref<Scene> ExampleScene::loadScene(Ref<LoadingScreen>& loadingScreen) {
    handler_ = makeRef<ExampleLoaderHandler>();
    Ref<SceneLoaderXML> loader = makeRef<SceneLoaderXML>();
    loader->setHandler(handler_);
    Ref<Scene> scene = loader->load(sceneFile_, loadingScreen);
    if (!scene)
        return nullptr;

    // The camera, the sun and the local lights that cast shadows. A light's shadows must be known
    // before the base class sorts the lights (shadowless ones first).
    sun_ = nullptr;
    localShadows_.clear();
    localShadowed_.clear();
    Node* firstCamera = nullptr;
    bool ok = true;
    walk(scene->root(), [&](Node* node) {
        const int32_t kind = node->kind();
        if (kind == KindCamera && !firstCamera)
            firstCamera = node;
        if (kind == KindAtmosphericalLight && !sun_)
            sun_ = static_cast<AtmosphericalLight*>(node);
        if ((kind == KindSpotLight || kind == KindProjectiveLight) && node->shadowCasterMask != 0) {
            auto* light = static_cast<Light*>(node);
            const std::string index = std::to_string(localShadows_.size());
            Ref<Framebuffer> target = framebufferRegistry().find("light_shadow_" + index);
            Ref<Texture> map = textureRegistry().find("light_shadow_map_" + index);
            if (!target || !map) {
                diagnostic(sceneFile_.c_str(), node->name.c_str(),
                           "a shadow-casting light needs \"light_shadow_%s\" and \"light_shadow_map_%s\"",
                           index.c_str(), index.c_str());
                ok = false;
                return;
            }
            compareInHardware(map);
            light->castsShadow = true;
            light->shadowMap = map;
            localShadows_.push_back({light, target});
            localShadowed_.push_back(light);
        }
    });
    if (!ok)
        return nullptr;
    if (!firstCamera) {
        diagnostic(sceneFile_.c_str(), "scene", "no camera");
        return nullptr;
    }
    camera = firstCamera;
    cameras.push_back(camera);
    // The cascades' shadow pass renders the local lights' maps too.
    cascades_ = makeRef<CascadedShadows>();
    sunShadows_ = sun_ && sun_->shadowCasterMask != 0;
    if (sunShadows_) {
        if (!cascades_->load(*sun_))
            return nullptr;
        compareInHardware(sun_->shadowMap);
    } else {
        cascades_->casterProgram = programRegistry().find("shadows/dirlight");
    }
    return scene;
}

bool ExampleScene::load(Ref<LoadingScreen>& loadingScreen) {
    if (!DeferredScene::load(loadingScreen))
        return false;
    if (!gBuffer_ || !lightAccumulation_) {
        diagnostic("data/demo.xml", "framebuffers",
                   "the deferred scene needs \"gbuffer\" and \"light_accumulation\"");
        return false;
    }
    registerRandomNormals();
    Ref<BlitEngine> blit = makeRef<BlitEngine>();
    if (!blit->setUp("", gBuffer_->width(), gBuffer_->height()))
        return false;
    // Anti-aliasing and ambient occlusion always run; a soft glow over the bright parts.
    blit->effects[BlitEngine::kFlagGlow] = true;
    blit->passCounts[1] = 2;
    blit->glow().color = Vec4(1.0f, 0.95f, 0.9f, 0.35f);
    blit->ssao().params.radius = 0.5f;
    blit->noise[2] = 0.0f;
    blit->updatePermutation();
    setBlitEngine(blit);
    if (loadingScreen) {
        loadingScreen->progress += loadingScreen->getStep();
        loadingScreen->draw(loadingScreen->device, 1.0f);
    }
    return true;
}

void ExampleScene::unload() {
    if (BlitEngine* blit = blitEngine())
        blit->release();
    setBlitEngine(nullptr);
    if (cascades_)
        cascades_->release();
    cascades_ = nullptr;
    localShadows_.clear();
    localShadowed_.clear();
    sun_ = nullptr;
    sunShadows_ = false;
    DeferredScene::unload();
    handler_ = nullptr;
}

void ExampleScene::update(float time, float step) {
    if (sun_ && sun_->model && handler_) {
        AtmosphereModel& model = *sun_->model;
        if (handler_->azimuth)
            model.azimuthOffset = handler_->azimuth->evaluate(time);
        if (handler_->timeOfDay)
            model.setTimeOfDay(handler_->timeOfDay->evaluate(time));
    }
    DeferredScene::update(time, step);
}

void ExampleScene::renderShadows(Ref<Device>& device) {
    if (!camera || camera->kind() != KindCamera || !gBuffer_)
        return;
    const Camera& cam = static_cast<const Camera&>(*camera);
    if (!cascades_)
        return;
    if (sunShadows_)
        cascades_->update(cam, *sun_, *this, device, float(gBuffer_->width()) / float(gBuffer_->height()),
                          shadowIntensity);
    for (LocalShadow& shadow : localShadows_) {
        Light& light = *shadow.light;
        if (!light.enabled)
            continue;
        const Mat4 view = localLightView(light);
        const Mat4 projection = localLightProjection(light);
        ViewVolume volume;
        ViewVolume::fromViewProjection(projection * view, volume);
        ProfileScope pass(*device, "shadow local light");
        cascades_->renderShadowPass(shadow.target, view, *this, device, projection, light.shadowCasterMask,
                                    light.shadowMatrix, volume);
    }
}

void ExampleScene::render(Ref<Device>& device, float time, float step) {
    if (!setUpCamera(*device))
        return;
    renderShadows(device);
    DeferredScene::render(device, time, step);
}
