#include "scene/Scene.h"

#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Program.h"
#include "scene/Drawable.h"
#include "scene/State.h"

namespace {

// A built-in matrix slot's bit in a program's usage mask.
constexpr uint32_t bit(int index) {
    return 1u << index;
}

constexpr uint32_t kModelViewFamily = bit(codes::kModelViewMatrix) | bit(codes::kModelViewMatrixInverse) |
                                      bit(codes::kModelViewProjectionMatrix) |
                                      bit(codes::kModelViewProjectionMatrixInverse) |
                                      bit(codes::kNormalMatrix) | bit(codes::kNormalMatrixInverse);

template <class Visit> bool preOrder(Node* first, const Visit& visit) {
    for (Node* node = first; node; node = node->nextSibling()) {
        if (visit(node))
            return true;
        if (node->firstChild() && preOrder(node->firstChild(), visit))
            return true;
    }
    return false;
}

} // namespace

Scene::~Scene() {
    if (root_) {
        Node::releaseSubtree(root_);
    }
    stateSet_ = nullptr;
}

void Scene::setRoot(const Ref<Node>& root) {
    if (root_ == root)
        return;
    Ref<Node> old = std::move(root_);
    root_ = root;
    if (old)
        Node::releaseSubtree(old);
}

void Scene::update(float time) {
    time_ = time;
    updateWalk(root_.get(), time);
}

void Scene::updateWalk(Node* first, float time) {
    for (Node* node = first; node; node = node->nextSibling()) {
        // The walk is bound by fetching nodes: ask for the next two while this one updates.
        __builtin_prefetch(node->firstChild());
        __builtin_prefetch(node->nextSibling());
        node->update(time);
        if (node->firstChild())
            updateWalk(node->firstChild(), time);
    }
}

void Scene::render(const Mat4& view, const Ref<StateSet>& stateSet, uint32_t passMask) {
    if (!stateSet || !stateSet->device())
        return;
    Device& device = *stateSet->device();
    device.setMatrix(codes::kViewMatrix, view);
    device.setMatrix(codes::kViewMatrixInverse, Mat4::inverse(view));
    device.setNormalMatrix(codes::kViewNormalMatrix, view.upper3x3());
    passMask_ = passMask;
    view_ = view;
    stateSet_ = stateSet;
    renderChain(root_.get());
}

void Scene::renderWalk(Node* first) {
    if (!stateSet_ || !stateSet_->device())
        return;
    const uint32_t saved = passMask_;
    passMask_ = 0;
    renderChain(first);
    passMask_ = saved;
}

void Scene::renderNode(Node* node) {
    if (!node || !stateSet_ || !stateSet_->device())
        return;
    const uint32_t saved = passMask_;
    passMask_ = 0;
    renderOne(node);
    passMask_ = saved;
}

void Scene::renderChain(Node* first) {
    for (Node* node = first; node; node = node->nextSibling())
        renderOne(node);
}

void Scene::renderOne(Node* node) {
    if (!node->enabled)
        return;
    if (passMask_ != 0 && (node->shadowCasterMask & passMask_) == 0)
        return;
    StateSet& stateSet = *stateSet_;
    const int32_t kind = node->kind();
    if (kind == KindState) {
        static_cast<State*>(node)->apply(stateSet);
    } else if (kind & KindDrawable) {
        Drawable* drawable = static_cast<Drawable*>(node);
        if (drawable->isVisible(viewVolume.planes)) {
            Device& device = *stateSet.device();
            setModelMatrices(device, *drawable);
            drawable->draw(device, time_);
            ++drawnCount_;
        } else {
            ++culledCount_;
        }
    }
    if (node->firstChild())
        renderChain(node->firstChild());
    if (kind == KindState)
        static_cast<State*>(node)->restore(stateSet);
}

void Scene::setModelMatrices(Device& device, const Node& node) {
    const Program* program = stateSet_ ? stateSet_->topProgram() : nullptr;
    const uint32_t mask = program ? program->builtInMask() : 0;
    if (mask == 0)
        return;
    const Mat4& world = node.transform.world;
    if (mask & kModelViewFamily) {
        modelView_ = view_ * world;
        setModelViewMatrices(device, modelView_, mask);
    }
    if (mask & bit(codes::kWorldMatrix))
        device.setMatrix(codes::kWorldMatrix, world);
    if (mask & bit(codes::kWorldNormalMatrix))
        device.setNormalMatrix(codes::kWorldNormalMatrix, world.upper3x3());
}

void Scene::setModelViewMatrices(Device& device, const Mat4& modelView, uint32_t mask) {
    if (mask & bit(codes::kModelViewMatrix))
        device.setMatrix(codes::kModelViewMatrix, modelView);
    if (mask & bit(codes::kModelViewMatrixInverse))
        device.setMatrix(codes::kModelViewMatrixInverse, Mat4::inverse(modelView));
    if (mask & (bit(codes::kModelViewProjectionMatrix) | bit(codes::kModelViewProjectionMatrixInverse))) {
        const Mat4 mvp = device.matrix(codes::kProjectionMatrix) * modelView;
        if (mask & bit(codes::kModelViewProjectionMatrix))
            device.setMatrix(codes::kModelViewProjectionMatrix, mvp);
        if (mask & bit(codes::kModelViewProjectionMatrixInverse))
            device.setMatrix(codes::kModelViewProjectionMatrixInverse, Mat4::inverse(mvp));
    }
    if (mask & (bit(codes::kNormalMatrix) | bit(codes::kNormalMatrixInverse))) {
        const Mat3 normal = Mat3::inverse(modelView.upper3x3()).transposed();
        if (mask & bit(codes::kNormalMatrix))
            device.setNormalMatrix(codes::kNormalMatrix, normal);
        if (mask & bit(codes::kNormalMatrixInverse))
            device.setNormalMatrix(codes::kNormalMatrixInverse, Mat3::inverse(normal));
    }
}

void Scene::freezeStaticTransforms() {
    nodeCount_ = localFrozenCount_ = worldFrozenCount_ = 0;
    freezeChain(root_.get());
}

void Scene::freezeChain(Node* first) {
    for (Node* node = first; node; node = node->nextSibling()) {
        ++nodeCount_;
        NodeTransform& t = node->transform;
        if (!(t.flags & NodeTransform::Dynamic)) {
            t.rebuildLocal();
            t.flags |= NodeTransform::LocalFrozen;
            ++localFrozenCount_;
            bool frozenAbove = true;
            for (Node* a = node->parent(); a; a = a->parent()) {
                if (a->transform.flags & NodeTransform::WorldFrozen)
                    break;
                if (!(a->transform.flags & NodeTransform::LocalFrozen)) {
                    frozenAbove = false;
                    break;
                }
            }
            if (frozenAbove) {
                t.world = node->parent() ? node->parent()->transform.world * t.local : t.local;
                t.worldPosition = {t.world.m[3], t.world.m[7], t.world.m[11]};
                t.flags |= NodeTransform::WorldFrozen;
                ++worldFrozenCount_;
            }
        }
        if (node->firstChild())
            freezeChain(node->firstChild());
    }
}

Node* Scene::findByName(const std::string& name) const {
    Node* found = nullptr;
    preOrder(root_.get(), [&](Node* n) { return n->name == name ? (found = n, true) : false; });
    return found;
}

Node* Scene::findByNameAndKind(const std::string& name, int32_t kind) const {
    Node* found = nullptr;
    preOrder(root_.get(),
             [&](Node* n) { return n->kind() == kind && n->name == name ? (found = n, true) : false; });
    return found;
}

void Scene::collectByKind(int32_t kind, std::vector<Ref<Node>>& out) const {
    preOrder(root_.get(), [&](Node* n) {
        if (n->kind() == kind)
            out.push_back(n);
        return false;
    });
}

void Scene::collectByName(const std::string& name, std::vector<Ref<Node>>& out) const {
    preOrder(root_.get(), [&](Node* n) {
        if (n->name == name)
            out.push_back(n);
        return false;
    });
}
