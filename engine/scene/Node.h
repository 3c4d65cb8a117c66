#pragma once

#include "core/Object.h"
#include "scene/Controller.h"
#include "scene/NodeKind.h"
#include "scene/NodeTransform.h"

#include <cstdint>
#include <string>
#include <vector>

// A node of the scene graph: a transform, an ordered controller list, a name, an enabled flag and
// a shadow-caster mask, linked to its parent, next sibling and first child by counted references.
// Because child → parent links are counted too, a tree is torn down with releaseSubtree, never by
// dropping its root alone.
class Node : public Object {
public:
    ~Node() override;

    virtual bool reservedCheck1(int) { return true; }
    virtual bool reservedCheck2(int) { return true; }
    virtual void beginUpdate(float) {}
    // Controllers, local matrix, afterLocalTransform, then world matrix and world position
    // (unless the world matrix is frozen).
    virtual void update(float time);
    virtual void afterLocalTransform(float) {}

    // Appends `child` after `parent`'s last child. A child that already had a parent is first
    // unlinked from that parent's list. Refused (false) for null nodes and for links that would
    // make a cycle (a node under itself or under one of its descendants).
    static bool addChild(Node* parent, Node* child);
    // Unlinks the node from its parent's child list (its own subtree stays with it).
    void detach();
    // Appends the controller unless it is already in the list (or null).
    void addController(const Ref<Controller>& controller);
    // Releases the subtree a link holds: each node's children, its following siblings, then the
    // node itself. Parent links are dropped as each node dies.
    static void releaseSubtree(Ref<Node>& link);

    int32_t kind() const { return kind_; }
    Node* parent() const { return parent_.get(); }
    Node* nextSibling() const { return nextSibling_.get(); }
    Node* firstChild() const { return firstChild_.get(); }
    const std::vector<Ref<Controller>>& controllers() const { return controllers_; }
    // Whether `ancestor` is this node or lies on its parent chain.
    bool isDescendantOf(const Node* ancestor) const;

protected:
    // The kind is fixed here. Codes KindState and the KindDrawable family belong to State and
    // Drawable, which the render walk casts to by kind.
    explicit Node(int32_t kind) : kind_(kind) {}

    // world = parent.world · local (local alone without a parent), and the world position.
    void updateWorld();

    // Laid out for the walks: what a visit of a frozen node reads (kind, links, controllers,
    // enabled flag, transform flags) shares the node's first cache line.
private:
    int32_t kind_;

protected:
    Ref<Node> nextSibling_;
    Ref<Node> firstChild_;

private:
    std::vector<Ref<Controller>> controllers_;

public:
    // False hides the node and its subtree from rendering, not from updating.
    bool enabled = true;
    NodeTransform transform;
    // ANDed with a shadow pass's mask; 0 keeps the node out of every shadow pass.
    uint32_t shadowCasterMask = 0;
    std::string name;

protected:
    Ref<Node> parent_;
    // Not counted: the tail of the child list, so appending stays constant time.
    Node* lastChild_ = nullptr;
};
