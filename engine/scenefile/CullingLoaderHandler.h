#pragma once

#include "scenefile/SceneLoaderHandler.h"

// The engine's own loader handler for `culling` elements: each one with a "filename" becomes a
// NodeCulling around the subtree written inside it. A production's handler may derive from it to
// add its own elements and uniform sources.
class CullingLoaderHandler : public SceneLoaderHandler {
public:
    void createNode(Ref<Node>& node, const tinyxml2::XMLElement* element, Node* parent, bool& readNode,
                    bool& handled) override;
    bool setUniform(UniformsBuilder& builder, const std::string& uniformName,
                    const std::string& values) override;
};
