#pragma once

#include "render/VertexArrayObject.h"
#include "scene/State.h"

// Binds a vertex array for its subtree: its children are the drawables that draw from it.
class VAOModel : public State {
public:
    explicit VAOModel(const Ref<VertexArrayObject>& vertexArray) : vertexArray_(vertexArray) {}

    void apply(StateSet& stateSet) override;
    void restore(StateSet& stateSet) override;

    const Ref<VertexArrayObject>& vertexArray() const { return vertexArray_; }

private:
    Ref<VertexArrayObject> vertexArray_;
};
