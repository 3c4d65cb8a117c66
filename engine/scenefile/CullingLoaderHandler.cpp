#include "scenefile/CullingLoaderHandler.h"

#include "scene/NodeCulling.h"

#include <tinyxml2.h>

#include <cstring>

void CullingLoaderHandler::createNode(Ref<Node>& node, const tinyxml2::XMLElement* element, Node* parent,
                                      bool& readNode, bool& handled) {
    const char* fileName = element ? element->Attribute("filename") : nullptr;
    if (!element || std::strcmp(element->Name(), "culling") != 0 || !fileName || !parent)
        return;
    Ref<NodeCulling> culling = makeRef<NodeCulling>(fileName);
    Node::addChild(parent, culling.get());
    node = culling;
    readNode = true;
    handled = true;
}

bool CullingLoaderHandler::setUniform(UniformsBuilder&, const std::string&, const std::string&) {
    return false;
}
