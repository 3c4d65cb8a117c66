#pragma once

#include "deferred/DeferredScene.h"
#include "scenefile/CullingLoaderHandler.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

class AtmosphericalLight;
class BlitEngine;
class CascadedShadows;
class Envelope;
class Framebuffer;
class Light;

// The deferred example's scene loader handler: material uniforms written as numbers in the scene
// file ("0.8 0.3 0.2 1": one to four floats), and the `sunpath` element, whose children
// "timeofday" (hours) and "azimuth" (radians about the vertical axis) each hold an envelope that
// moves the scene's atmospherical light with the beats. Everything else is the engine's own
// handler (culling elements). The scene's materials read their numbers from the handler, so it must
// outlive the scene.
class ExampleLoaderHandler : public CullingLoaderHandler {
public:
    void createNode(Ref<Node>& node, const tinyxml2::XMLElement* element, Node* parent, bool& readNode,
                    bool& handled) override;
    bool setUniform(UniformsBuilder& builder, const std::string& uniformName,
                    const std::string& values) override;

    Ref<Envelope> timeOfDay;
    Ref<Envelope> azimuth;

private:
    // Uniform states point at their values: these stay where they are while the handler lives
    // (as long as the part that loaded the scene).
    std::deque<std::array<float, 4>> values_;
};

// The example's one part: a deferred scene read from a scene file, lit by one light of every kind.
// The sun (the scene's atmospherical light) casts four cascaded shadows and follows the `sunpath`
// envelopes; spot and projective lights whose shadowcastermask is set cast shadows too, each into a
// depth map of its own ("light_shadow_0", "light_shadow_1", ... in the demo description), rendered
// with the light's perspective. (A point light would need all six directions; its shadow variant is
// left out.) The post chain composes the result.
class ExampleScene : public DeferredScene {
public:
    explicit ExampleScene(std::string sceneFile = "data/scenes/deferred.xml");
    ~ExampleScene() override;

    bool load(Ref<LoadingScreen>& loadingScreen) override;
    void unload() override;
    void update(float time, float step) override;
    void render(Ref<Device>& device, float time, float step) override;
    Ref<Scene> loadScene(Ref<LoadingScreen>& loadingScreen) override;

    // The shadow maps of the sun and of the local lights for the current camera (render runs it).
    void renderShadows(Ref<Device>& device);

    BlitEngine* blit() const { return blitEngine(); }
    AtmosphericalLight* sun() const { return sun_; }
    const std::vector<Light*>& shadowedLocalLights() const { return localShadowed_; }

    // The sun's shadow strength (0 none, 1 black).
    float shadowIntensity = 0.85f;

private:
    struct LocalShadow {
        Light* light;
        Ref<Framebuffer> target;
    };

    std::string sceneFile_;
    Ref<ExampleLoaderHandler> handler_;
    Ref<CascadedShadows> cascades_;
    AtmosphericalLight* sun_ = nullptr;
    bool sunShadows_ = false;
    std::vector<LocalShadow> localShadows_;
    std::vector<Light*> localShadowed_;
};
