#include "scene/Skeleton.h"

#include "core/Diagnostics.h"
#include "scene/Scene.h"

#include <algorithm>

Skeleton::Skeleton(const Ref<Mesh>& mesh) : Node(KindSkeleton), mesh_(mesh) {}

void Skeleton::attachBone(SkeletonBone* bone) {
    if (!bone || std::find(bones_.begin(), bones_.end(), bone) != bones_.end())
        return;
    bones_.push_back(bone);
    matched_ = false;
}

bool Skeleton::matchBones() {
    matched_ = false;
    meshIndex_.clear();
    const char* place = name.empty() ? "skeleton" : name.c_str();
    if (!mesh_ || !mesh_->skinned()) {
        diagnostic(mesh_ ? mesh_->name().c_str() : "(no mesh)", place,
                   "no skinned mesh to match the bones against");
        return false;
    }
    const std::vector<std::string>& names = mesh_->boneNames();
    const char* file = mesh_->name().c_str();
    if (names.size() > size_t(kMaxBones)) {
        diagnostic(file, place, "the mesh has %zu bones; a skinning palette holds at most %d", names.size(),
                   kMaxBones);
        return false;
    }
    if (names.size() != bones_.size()) {
        diagnostic(file, place, "the mesh has %zu bones, the skeleton %zu", names.size(), bones_.size());
        return false;
    }
    std::vector<bool> taken(names.size(), false);
    for (SkeletonBone* bone : bones_) {
        auto it = std::find(names.begin(), names.end(), bone->name);
        if (it == names.end()) {
            diagnostic(file, place, "the mesh has no bone named \"%s\"", bone->name.c_str());
            meshIndex_.clear();
            return false;
        }
        const size_t index = size_t(it - names.begin());
        if (taken[index]) {
            diagnostic(file, place, "two bones are named \"%s\"", bone->name.c_str());
            meshIndex_.clear();
            return false;
        }
        taken[index] = true;
        meshIndex_.push_back(int32_t(index));
    }
    matched_ = true;
    return true;
}

void Skeleton::bindRestPose() {
    constexpr uint32_t rest = NodeTransform::HasPosition | NodeTransform::HasRotation;
    // Bind poses are relative to the skeleton's own placement, so the skeleton is taken off its
    // parent for the duration.
    Ref<Node> savedParent = std::move(parent_);
    for (SkeletonBone* bone : bones_) {
        bone->skin = Mat4::identity();
        bone->transform.position = bone->restPosition;
        bone->transform.rotation = bone->restOrientation;
        bone->transform.scale = {1, 1, 1};
        bone->transform.flags = rest | NodeTransform::Dynamic;
        bone->transform.rebuildLocal();
        bone->transform.flags = rest | NodeTransform::LocalFrozen;
    }
    for (Node* node = this; node; node = node->nextSibling()) {
        node->update(0.0f);
        Scene::updateWalk(node->firstChild(), 0.0f);
    }
    for (SkeletonBone* bone : bones_) {
        bone->bindPose = bone->transform.world;
        bone->inverseBindPose = Mat4::inverse(bone->bindPose);
        bone->transform.flags = rest | NodeTransform::Dynamic;
    }
    parent_ = std::move(savedParent);
}

void Skeleton::updatePalette() {
    if (!matched_ || meshIndex_.size() != bones_.size())
        return;
    for (size_t i = 0; i < bones_.size(); ++i) {
        SkeletonBone* bone = bones_[i];
        bone->skin = bone->transform.world * bone->inverseBindPose;
        palette_[meshIndex_[i]] = bone->skin;
    }
}
