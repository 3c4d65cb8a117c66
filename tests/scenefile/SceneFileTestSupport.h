#pragma once

#include "core/Object.h"
#include "scene/Node.h"
#include "scene/Scene.h"
#include "scenefile/SceneLoaderXML.h"
#include "support/GlTest.h"
#include "support/TempDir.h"

#include <string>
#include <typeinfo>
#include <vector>

// A GL fixture whose registries hold what the scene files of these tests name: programs "scene"
// (sampler "surface", uniforms "tint" and "bones") and "deferred/atmoslight" (block
// "AtmosphereModel"), textures "checker" and "sky", and meshes "box" (two bins with boxes, skinned
// with bones "root" and "arm") and "plain" (one bin, no boxes, no skin).
class SceneFileTest : public GlTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `body` inside <scene> (or, with `whole`, as the entire file) and loads it.
    Ref<Scene> load(const std::string& body, bool whole = false);
    // Loads and expects failure with exactly one diagnostic line; answers that line.
    std::string loadFails(const std::string& body, bool whole = false);
    std::string path() const { return dir.path() + "/scene.xml"; }

    // Nodes in the scene's pre-order (the root first).
    static std::vector<Node*> preOrder(const Scene& scene);

    TempDir dir;
    Ref<SceneLoaderXML> loader;
    std::vector<Ref<Scene>> scenes;
};

template <class T> bool hasController(const Node& node) {
    for (const Ref<Controller>& c : node.controllers())
        if (typeid(*c) == typeid(T))
            return true;
    return false;
}
