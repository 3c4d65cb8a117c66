#include "scene/VAOModel.h"

#include "render/Device.h"
#include "render/StateSet.h"

void VAOModel::apply(StateSet& stateSet) {
    stateSet.device()->bindVertexArray(vertexArray_);
}

void VAOModel::restore(StateSet& stateSet) {
    stateSet.device()->bindVertexArray(nullptr);
}
