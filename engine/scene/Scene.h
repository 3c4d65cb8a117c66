#pragma once

#include "core/Object.h"
#include "math/Mat4.h"
#include "render/StateSet.h"
#include "scene/Node.h"
#include "scene/ViewVolume.h"

#include <cstdint>
#include <string>
#include <vector>

class Device;
class Drawable;

// Owns the root of one scene graph and runs the walks over it: the per-frame update, the colour
// or shadow-masked render walk, the one-time freezing of static transforms, and lookups by name
// and kind (all in pre-order: a node, its children, then its next sibling). The walks allocate
// nothing.
class Scene : public Object {
public:
    Scene() = default;
    ~Scene() override;

    // A root set before is released with its whole tree (its parent links would keep it alive).
    void setRoot(const Ref<Node>& root);
    Node* root() const { return root_.get(); }

    // Stores the time and updates every node from the root, parents before children.
    void update(float time);
    // The update walk over a sibling chain and every subtree under it.
    static void updateWalk(Node* first, float time);

    // Stores the view built-ins in the state set's device, then renders from the root: every node
    // when passMask is 0, otherwise only nodes whose shadowCasterMask shares a bit with it.
    virtual void render(const Mat4& view, const Ref<StateSet>& stateSet, uint32_t passMask);
    // The colour walk over one sibling chain, with the view and state set given beforehand.
    void renderWalk(Node* first);
    // The colour walk over one node and its subtree only (not its siblings), with the view and
    // state set of the last render; a node drawn outside the main walk (decals, after-light
    // nodes) goes through here.
    void renderNode(Node* node);
    void setView(const Mat4& view) { view_ = view; }
    void setStateSet(const Ref<StateSet>& stateSet) { stateSet_ = stateSet; }

    // Freezes the local matrix of every node that is not Dynamic, and its world matrix too when
    // no ancestor below the nearest world-frozen one moves. Records the three counts.
    void freezeStaticTransforms();

    Node* findByName(const std::string& name) const;
    Node* findByNameAndKind(const std::string& name, int32_t kind) const;
    void collectByKind(int32_t kind, std::vector<Ref<Node>>& out) const;
    void collectByName(const std::string& name, std::vector<Ref<Node>>& out) const;

    // The per-drawable built-ins of the program on top of the state set's program stack, from
    // the scene's view and the device's projection.
    void setModelMatrices(Device& device, const Node& node);
    // The model-view family from an explicit model-view matrix, for drawing outside the walk.
    static void setModelViewMatrices(Device& device, const Mat4& modelView, uint32_t usageMask);

    ViewVolume viewVolume;

    const Mat4& view() const { return view_; }
    float time() const { return time_; }
    uint32_t passMask() const { return passMask_; }
    int nodeCount() const { return nodeCount_; }
    int localFrozenCount() const { return localFrozenCount_; }
    int worldFrozenCount() const { return worldFrozenCount_; }
    // Accumulated over every render call since construction.
    int culledCount() const { return culledCount_; }
    int drawnCount() const { return drawnCount_; }

private:
    void renderChain(Node* first);
    void renderOne(Node* node);
    void freezeChain(Node* first);

    Ref<Node> root_;
    Mat4 view_;
    Mat4 modelView_;
    Ref<StateSet> stateSet_;
    float time_ = 0;
    uint32_t passMask_ = 0;
    int nodeCount_ = 0;
    int localFrozenCount_ = 0;
    int worldFrozenCount_ = 0;
    int culledCount_ = 0;
    int drawnCount_ = 0;
};
