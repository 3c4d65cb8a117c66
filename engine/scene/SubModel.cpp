#include "scene/SubModel.h"

#include "render/Device.h"
#include "render/Gl.h"

#include <algorithm>

SubModel::SubModel(const IndexBin& bin, int instances, int patchSize)
    : bin_(bin), instances_(std::max(instances, 1)), patchSize_(std::max(patchSize, 0)),
      validPrimitive_(bin.primitive <= GL_PATCHES) {}

void SubModel::draw(Device& device, float) {
    if (!validPrimitive_)
        return;
    GLenum primitive = GLenum(bin_.primitive);
    if (patchSize_ > 0) {
        glPatchParameteri(GL_PATCH_VERTICES, patchSize_);
        primitive = GL_PATCHES;
    }
    const GLenum indexType = device.indexType();
    const void* offset = reinterpret_cast<const void*>(uintptr_t(bin_.first) * uintptr_t(device.indexSize()));
    const GLsizei count = GLsizei(std::min<uint32_t>(bin_.count, INT32_MAX));
    device.checkState();
    if (instances_ >= 2)
        glDrawElementsInstanced(primitive, count, indexType, offset, instances_);
    else
        glDrawRangeElements(primitive, bin_.lowest, bin_.highest, count, indexType, offset);
}
