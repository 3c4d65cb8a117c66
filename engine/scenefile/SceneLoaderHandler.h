#pragma once

#include "core/Object.h"

#include <string>

namespace tinyxml2 {
class XMLElement;
}
class Node;
class UniformsBuilder;

// What a production plugs into the scene loader to add element kinds and uniform value sources of
// its own. One handler is registered at a time and stays across loads.
class SceneLoaderHandler : public Object {
public:
    // Called for an element name the loader does not know. Set `handled` to accept it (otherwise
    // the load fails). The handler may create a node, add it to `parent` itself (Node::addChild)
    // and return it in `node`; with `readNode` set the loader then applies the common node
    // attributes and reads the element's children with that node as parent.
    virtual void createNode(Ref<Node>& node, const tinyxml2::XMLElement* element, Node* parent,
                            bool& readNode, bool& handled) = 0;
    // Called for a material uniform whose values text is none of the loader's own sources;
    // answers false when the text means nothing to the handler.
    virtual bool setUniform(UniformsBuilder& builder, const std::string& uniformName,
                            const std::string& values) = 0;
};
