#pragma once

#include "core/Object.h"
#include "demo/LoadingScreen.h"
#include "scenefile/MaterialBuilder.h"
#include "scenefile/SceneLoaderHandler.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}
class Light;
class Mesh;
class ParticleEmitter;
class ParticleSystem;
struct ParticleProps;
class Node;
class Program;
class Scene;
class Skeleton;
class UniformBuffer;

// Turns one scene file (XML) into a Scene: every element creates a node under the node of its
// parent element, modifies that node, or is read by its parent's own parser. Programs, textures
// and meshes come from the named registries. A failed load answers null, leaves no partial scene
// and prints one diagnostic line "file: line N: element: reason". One loader may read several
// files in turn; each load starts from fresh per-file state.
class SceneLoaderXML : public Object {
public:
    SceneLoaderXML();
    ~SceneLoaderXML() override;

    // `path` is resolved against the demo root. The loading screen (may be null) advances by its
    // step (the file's share) spread over the file's progress elements.
    [[nodiscard]] Ref<Scene> load(const std::string& path, const Ref<LoadingScreen>& loadingScreen = nullptr);

    void setHandler(const Ref<SceneLoaderHandler>& handler) { handler_ = handler; }
    const Ref<SceneLoaderHandler>& handler() const { return handler_; }

    // Per-file state, kept after a load for tests and tools.
    const std::unordered_map<std::string, uint32_t>& shadowMasks() const { return shadowMasks_; }

private:
    friend class MaterialBuilder;
    using Element = tinyxml2::XMLElement;

    void reset();
    bool fail(const Element* e, const char* reason, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    // For failures where a lower layer may have printed its own line already.
    bool failUnlessSaid(unsigned before, const Element* e, const char* reason);
    void countProgress(const Element* e, unsigned& count) const;
    void advance();

    [[nodiscard]] bool readChildren(const Element* e, Node* parent);
    [[nodiscard]] bool readElement(const Element* e, Node* parent);
    [[nodiscard]] bool readNodeElement(const Element* e, Node* parent, bool& known);
    bool attachNode(const Element* e, Node* parent, const Ref<Node>& node);
    bool applyCommonAttributes(const Element* e, Node& node);
    [[nodiscard]] bool readShadowCasters(const Element* e);
    [[nodiscard]] bool readTransform(const Element* e, Node& node);
    [[nodiscard]] bool readEnable(const Element* e, Node& node);

    // Node creators (SceneLoaderNodes.cpp); each answers the new node or null after failing.
    [[nodiscard]] Ref<Node> createCamera(const Element* e);
    [[nodiscard]] Ref<Node> createLight(const Element* e);
    [[nodiscard]] bool readLightAttributes(const Element* e, Light& light);
    [[nodiscard]] Ref<Node> createVao(const Element* e);
    [[nodiscard]] Ref<Node> createSubModel(const Element* e, bool array);
    [[nodiscard]] Ref<Node> createSkeleton(const Element* e);
    [[nodiscard]] Ref<Node> createBone(const Element* e, Node* parent);
    bool finishSkeleton(const Element* e);
    [[nodiscard]] bool readShapeExtrude(const Element* e);

    // Particle systems, emitters, operators and the atmospherical light (SceneLoaderParticles.cpp).
    [[nodiscard]] bool readEffectElement(const Element* e, Node* parent, bool& known);
    void resetParticleState();
    [[nodiscard]] Ref<Node> createParticleSystem(const Element* e);
    [[nodiscard]] Ref<Node> createEmitter(const Element* e);
    [[nodiscard]] Ref<Node> createOperator(const Element* e);
    [[nodiscard]] bool readParticleProps(const Element* e, ParticleProps& props);
    [[nodiscard]] Ref<Node> createAtmosphericalLight(const Element* e);

    std::string file_;
    // Per-file state.
    struct FollowEntry {
        Ref<Node> follower;
        std::string target;
        int line;
    };
    std::vector<FollowEntry> followList_;
    std::unordered_map<std::string, uint32_t> shadowMasks_;
    Ref<Mesh> currentMesh_;
    Ref<Skeleton> currentSkeleton_;
    Ref<Program> vaoProgram_;
    MaterialBuilder materialBuilder_;
    Ref<Program> currentProgram_;
    Ref<UniformBuffer> atmosphereUniforms_;
    Ref<SceneLoaderHandler> handler_;
    Ref<ParticleSystem> currentParticleSystem_;
    Ref<LoadingScreen> loadingScreen_;
    const Element* skeletonElement_ = nullptr;
    bool atmosphereRead_ = false;
    int depth_ = 0;
};
