#include "scene/Node.h"

Node::~Node() {
    // A long sibling chain dropped at once would otherwise be destroyed recursively, one stack
    // frame per sibling: unhook siblings nobody else holds one at a time.
    Ref<Node> next = std::move(nextSibling_);
    while (next && next->referenceCount() == 1) {
        Ref<Node> after = std::move(next->nextSibling_);
        next = std::move(after);
    }
}

void Node::update(float time) {
    beginUpdate(time);
    // The size is re-read after each call: a controller may attach another.
    for (size_t i = 0; i < controllers_.size(); ++i)
        controllers_[i]->update(*this, time);
    transform.rebuildLocal();
    afterLocalTransform(time);
    if (transform.flags & NodeTransform::WorldFrozen)
        return;
    updateWorld();
}

void Node::updateWorld() {
    if (parent_)
        transform.world = parent_->transform.world * transform.local;
    else
        transform.world = transform.local;
    const float* w = transform.world.m;
    transform.worldPosition = {w[3], w[7], w[11]};
}

bool Node::isDescendantOf(const Node* ancestor) const {
    for (const Node* node = this; node; node = node->parent_.get())
        if (node == ancestor)
            return true;
    return false;
}

void Node::detach() {
    Node* parent = parent_.get();
    if (!parent)
        return;
    Ref<Node> self(this); // the parent's link may be the last one besides the caller's
    Node* previous = nullptr;
    for (Node* n = parent->firstChild_.get(); n && n != this; n = n->nextSibling_.get())
        previous = n;
    if (previous)
        previous->nextSibling_ = std::move(nextSibling_);
    else if (parent->firstChild_.get() == this)
        parent->firstChild_ = std::move(nextSibling_);
    if (parent->lastChild_ == this)
        parent->lastChild_ = previous;
    nextSibling_ = nullptr;
    parent_ = nullptr;
}

bool Node::addChild(Node* parent, Node* child) {
    if (!parent || !child || parent->isDescendantOf(child))
        return false;
    Ref<Node> held(child);
    child->detach();
    if (parent->lastChild_)
        parent->lastChild_->nextSibling_ = child;
    else
        parent->firstChild_ = child;
    parent->lastChild_ = child;
    child->parent_ = parent;
    return true;
}

void Node::addController(const Ref<Controller>& controller) {
    if (!controller)
        return;
    for (const Ref<Controller>& c : controllers_)
        if (c == controller)
            return;
    controllers_.push_back(controller);
}

void Node::releaseSubtree(Ref<Node>& link) {
    if (!link)
        return;
    // The link may be any child or sibling link of a parent that lives on: its tail hint is
    // re-derived once the chain is gone.
    Ref<Node> parent = link->parent_;
    Ref<Node> current = std::move(link);
    while (current) {
        releaseSubtree(current->firstChild_);
        current->lastChild_ = nullptr;
        // A follow controller may point back into the subtree; dropping the controllers with the
        // tree keeps such a loop from outliving it.
        current->controllers_.clear();
        Ref<Node> next = std::move(current->nextSibling_);
        current = std::move(next);
    }
    if (parent) {
        parent->lastChild_ = nullptr;
        for (Node* n = parent->firstChild_.get(); n; n = n->nextSibling_.get())
            parent->lastChild_ = n;
    }
}
