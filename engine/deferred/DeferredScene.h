#pragma once

#include "demo/Part.h"
#include "math/Mat3.h"
#include "math/Mat4.h"
#include "scene/ViewVolume.h"

#include <cstdint>
#include <vector>

class AtmosphericalLight;
class BlitEngine;
class Envelope;
class Framebuffer;
class Light;
class Node;
class Program;
class SamplerSet;
class Scene;
class StateSet;
class VertexArrayObject;
class VertexBuffer;

// One light as the light programs read it: a single point per light, four vec3 attributes.
struct LightRecord {
    float position[3]; // "POSITION": view-space position (directional: world-space direction)
    float params[3];   // "NORMAL": per-type parameters
    float colour[3];   // "COLOR": colour times intensity
    float vector[3];   // "TEXCOORD": per-type vector
};
static_assert(sizeof(LightRecord) == 48, "the light programs read 48-byte records");

// A part that renders a scene graph with deferred shading: geometry into the G-buffer, every light
// added into the light accumulation buffer as one point each, then the part's post-processing
// composite. A subclass supplies the scene and may add to the G-buffer or draw after the lights.
// The framebuffers and programs come from the demo description's registries by name.
class DeferredScene : public Part {
public:
    static constexpr int kLightTypes = 9;
    static constexpr int kLightPrograms = 19;
    static constexpr int kParticleProgram = 18;
    // More lights than this is a data fault, not a scene: the load fails with a diagnostic.
    static constexpr int kMaxLights = 4096;
    static const char* const kLightProgramNames[kLightPrograms];

    DeferredScene();
    ~DeferredScene() override;

    [[nodiscard]] bool load(Ref<LoadingScreen>& loadingScreen) override;
    void unload() override;
    void update(float time, float step) override;
    void render(Ref<Device>& device, float time, float step) override;
    virtual void renderGBufferExtras(Ref<Device>& device, const Mat4& view, float time);
    virtual void renderAfterLights(Ref<Device>& device, const Mat4& view, float time);
    [[nodiscard]] virtual Ref<Scene> loadScene(Ref<LoadingScreen>& loadingScreen) = 0;

    // Light set-up, run by load once the scene exists: programs, sampler sets, the sorted light
    // list with its type ranges, the record buffer and one vertex array per program.
    bool setUpLights();
    // Rewrites every light's record for the current camera (buffer mapped write-only).
    void fillLightRecords();
    // The light pass into the light accumulation buffer (not cleared).
    void renderLights(Ref<Device>& device, float time);
    // The camera set-up of render: projection, view volume, projection coefficients.
    bool setUpCamera(Device& device);
    void renderGeometry(Ref<Device>& device, float time);

    // The record of one light for a camera view and its normal matrix; pure, for tests and tools.
    // An ambient light that follows the sky takes its colours from `sky`'s atmosphere.
    static void writeRecord(const Light& light, const Mat4& view, const Mat3& normalMatrix,
                            LightRecord& record, const AtmosphericalLight* sky = nullptr);
    // Aerial perspective after the lights: what lies far off loses light to the air and gains the
    // sky's, by its distance (the atmosphere's haze and mist). Drawn by the optional program
    // "deferred/aerial" over the first atmospherical light, when that light's air is not clear.
    void renderAerialPerspective(Device& device);

    const std::vector<Ref<Program>>& lightPrograms() const { return lightPrograms_; }
    const std::vector<Light*>& lights() const { return lights_; }
    const Ref<VertexBuffer>& lightVertexBuffer() const { return lightVertexBuffer_; }
    const int32_t* lightTypeStart() const { return lightTypeStart_; }
    const int32_t* firstShadowed() const { return firstShadowed_; }
    const Ref<Scene>& scene() const { return scene_; }
    const Ref<StateSet>& stateSet() const { return stateSet_; }
    const Ref<Framebuffer>& gBuffer() const { return gBuffer_; }
    const Ref<Framebuffer>& lightAccumulation() const { return lightAccumulation_; }
    const float* inverseTargetSize() const { return inverseTargetSize_; }
    const float* projectionCoefficients() const { return projCoeffs_; }
    BlitEngine* blitEngine() const;
    void setBlitEngine(const Ref<BlitEngine>& engine);

    Ref<Node> camera;
    ViewVolume viewVolume;
    Mat4 previousView;
    // The camera previousView belongs to: after a cut there is no motion to blur.
    const Node* previousViewCamera = nullptr;
    bool lightParticles = false;
    bool decals = false;
    float radiusScale = 0.5f;
    std::vector<Ref<Node>> cameras;
    Ref<Envelope> cameraSelection;

protected:
    std::vector<Ref<Program>> lightPrograms_;
    std::vector<Ref<SamplerSet>> lightSamplerSets_;
    std::vector<Light*> lights_;
    Ref<VertexBuffer> lightVertexBuffer_;
    std::vector<Ref<VertexArrayObject>> lightVertexArrays_;
    int32_t lightTypeStart_[kLightTypes + 1] = {};
    int32_t firstShadowed_[kLightTypes] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    Ref<Scene> scene_;
    Ref<StateSet> stateSet_;
    Ref<Framebuffer> gBuffer_;
    Ref<Framebuffer> lightAccumulation_;
    float inverseTargetSize_[2] = {1, 1};
    float projCoeffs_[5] = {1, 1, -1, 0, 1};

private:
    void bindLightProgram(Device& device, int index);
    // Lights [first, last) of one type, one point each with their own textures and matrices.
    void drawOneByOne(Device& device, int type, int programIndex, int first, int last, bool shadowed);

    int atmosphereBinding_[2] = {-1, -1};
    // The scene's first atmospherical light: the sky for ambient lights that follow it, and the air
    // of the aerial pass.
    AtmosphericalLight* sky_ = nullptr;
    int skyIndex_ = -1;
    Ref<Program> aerialProgram_;
    Ref<SamplerSet> aerialSamplerSet_;
    Ref<VertexArrayObject> aerialVertexArray_;
    int aerialBinding_ = -1;
    int aerialLocations_[3] = {-1, -1, -1};
};
