#include "scene/ArrayModel.h"

#include "render/Device.h"
#include "render/Gl.h"

#include <algorithm>

ArrayModel::ArrayModel(const IndexBin& bin, int instances)
    : bin_(bin), instances_(std::max(instances, 1)), validPrimitive_(bin.primitive <= GL_PATCHES) {}

void ArrayModel::draw(Device& device, float) {
    if (!validPrimitive_)
        return;
    const GLint first = GLint(std::min<uint32_t>(bin_.first, INT32_MAX));
    const GLsizei count = GLsizei(std::min<uint32_t>(bin_.count, INT32_MAX));
    device.checkState();
    if (instances_ >= 2)
        glDrawArraysInstanced(GLenum(bin_.primitive), first, count, instances_);
    else
        glDrawArrays(GLenum(bin_.primitive), first, count);
}
