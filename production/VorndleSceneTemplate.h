#pragma once

#include "VorndleStateLayout.h"
#include "deferred/DeferredScene.h"

#include <string>
#include <vector>

class AtmosphereModel;
class CascadedShadows;
class Envelope;
class InputStream;
class OutputStream;
class UniformBuffer;
class VorndleSceneLoaderHandler;

// Every scene part of the production: a deferred scene loaded from "data/scenes/<file>", whose
// tweakable parameters come from the gzip state file "data/<part>.dat". Each frame it drives the
// sky model and the post-processing chain from envelopes, renders the sun's cascaded shadows
// before the deferred passes, and finishes with two full-screen overlays: a multiplicative
// vignette and, over the last beats of the demo, the outro screen.
class VorndleSceneTemplate : public DeferredScene {
public:
    static constexpr int kSmoothnessCount = 16;
    static constexpr int kDepthOfFieldParams = 3;

    VorndleSceneTemplate(const std::string& partName, const std::string& sceneFileName);
    ~VorndleSceneTemplate() override;

    void unload() override;
    // The state file after decompression, laid out as VorndleStateLayout.h lists it: the post
    // chain's block, the camera selection, time of day and gamma envelopes, the terrain, shadow
    // and material floats, then the sky, grading, effect and depth-of-field envelopes. False at
    // the first block that fails; a post-chain block needs the chain (made by loadScene, or given
    // with setBlitEngine).
    bool readState(InputStream& in) override;
    bool writeState(OutputStream& out) override;
    void update(float time, float step) override;
    void render(Ref<Device>& device, float time, float step) override;
    void renderGBufferExtras(Ref<Device>& device, const Mat4& view, float time) override;
    void renderAfterLights(Ref<Device>& device, const Mat4& view, float time) override;
    [[nodiscard]] Ref<Scene> loadScene(Ref<LoadingScreen>& loadingScreen) override;

    // Offers the named live values to a loader handler (what loadScene does before reading).
    void registerValues(VorndleSceneLoaderHandler& handler);

    // The camera index the selection envelope gives at `time` for `cameraCount` cameras.
    static int cameraIndex(float selection, int cameraCount);
    // What the effect-mode envelope's value selects: 1 glow, 2 radial blur, else neither.
    static int effectMode(float value);
    // Opacity of the outro screen at a beat: fades in over 245–253, out over 254–264.
    static float outroFade(float time);
    // The radial blur's origin in texture coordinates for a world point seen by a camera; false
    // (origin untouched) when the point gives no screen position.
    static bool radialOrigin(const Mat4& projection, const Mat4& view, const Vec3& world, float origin[2]);

    Ref<AtmosphereModel> atmosphereModel;
    Ref<Envelope> timeOfDay;
    Ref<Envelope> turbidity;
    Ref<Envelope> sunIntensity;
    Ref<Envelope> rayleighFactor, mieFactor;
    Ref<Envelope> colourScale;
    Ref<Envelope> azimuthOffset;
    Ref<UniformBuffer> atmosphereBuffer;
    Ref<Envelope> gamma;
    Ref<Envelope> lutFade;
    Ref<Envelope> effectModeEnvelope;
    Ref<Envelope> depthOfFieldSwitch;
    Ref<Envelope> depthOfFieldParams[kDepthOfFieldParams];
    std::vector<Ref<Node>> skeletons;
    std::vector<Ref<Node>> additiveNodes;
    std::vector<Ref<Node>> alphaNodes;
    std::vector<Ref<Node>> decalNodes;
    std::string partName;
    std::string sceneFileName;
    float cloudOffsets[2] = {0, 0};
    float cloudHeightScale = 2.0f;
    Ref<Envelope> cloudHeight;
    float currentTime = 0;
    Ref<Node> sunLight;
    Ref<CascadedShadows> shadows;
    float shadowIntensity = 1.0f;
    // Kept for the tools: read and written, never used.
    float spare = 0.5f;
    float aspect = 1.0f;
    float terrainDetailParams[2] = {1.0f, 0.5f};
    float terrainTexCoordScale = 0.25f;
    float emissionSphere[4] = {0, 0, 0, 4.0f};
    Ref<Node> emissionSphereNode, moonNode;
    Ref<Program> overlayProgram;
    Ref<SamplerSet> overlaySamplerSet, outroSamplerSet;
    Ref<VertexArrayObject> overlayVertexArray;
    float materialSmoothness[kSmoothnessCount] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
                                                  0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};

private:
    // Where the state layout's envelope sections and values fields live in the part; null for
    // what the part does not keep (a field must be floats of the member's very size).
    Ref<Envelope>* stateEnvelope(vorndle_state::PartEnvelope which);
    float* stateFloats(const vorndle_state::FieldLayout& field);
    template <class OnEnvelope, class OnValuesBegin, class OnFloats>
    bool walkStateSections(OnEnvelope envelope, OnValuesBegin valuesBegin, OnFloats floats);
    bool setUpOverlay();
    void drawOverlays(Device& device, float time);

    std::string stateFile_;
    int fadeLocation_ = -1;
};
