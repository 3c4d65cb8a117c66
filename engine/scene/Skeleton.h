#pragma once

#include "assets/Mesh.h"
#include "math/Mat4.h"
#include "scene/Node.h"
#include "scene/SkeletonBone.h"

#include <cstdint>
#include <vector>

// Gathers the bones that deform one skinned mesh: records their bind poses once after loading and
// turns their world matrices into a palette of skinning matrices indexed like the mesh's bone list.
// The bones are owned by the tree; the skeleton only points at them.
class Skeleton : public Node {
public:
    static constexpr int kMaxBones = 64;

    explicit Skeleton(const Ref<Mesh>& mesh = nullptr);

    // Appends the bone unless it is listed already (or null).
    void attachBone(SkeletonBone* bone);
    // Maps every bone to the mesh bone of the same name. False, with one diagnostic line, when
    // there is no skinned mesh, the mesh has more bones than the palette holds, the counts differ,
    // or the names do not correspond one to one (a missing or a repeated name).
    bool matchBones();
    // Records every bone's bind pose relative to the skeleton, from the rest placement.
    void bindRestPose();
    // palette[meshIndex[i]] = bone i's world · inverseBindPose. Does nothing before a successful
    // matchBones.
    void updatePalette();

    const std::vector<SkeletonBone*>& bones() const { return bones_; }
    const std::vector<int32_t>& meshIndex() const { return meshIndex_; }
    const Mat4& paletteEntry(int index) const { return palette_[index]; }
    // What a "skeleton.boneMatrix" uniform reads: boneCount() row-major 4×4 matrices.
    const float* paletteData() const { return palette_[0].m; }
    int boneCount() const { return int(bones_.size()); }
    const Ref<Mesh>& mesh() const { return mesh_; }
    void setMesh(const Ref<Mesh>& mesh) { mesh_ = mesh; }

private:
    std::vector<SkeletonBone*> bones_;
    std::vector<int32_t> meshIndex_;
    Mat4 palette_[kMaxBones];
    Ref<Mesh> mesh_;
    bool matched_ = false;
};
