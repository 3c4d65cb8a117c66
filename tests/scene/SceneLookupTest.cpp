#include "scene/Camera.h"
#include "scene/Group.h"
#include "scene/PointLight.h"
#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <class T> Ref<T> named(const char* name, Ref<T> node) {
    node->name = name;
    return node;
}

std::vector<std::string> names(const std::vector<Ref<Node>>& nodes) {
    std::vector<std::string> out;
    for (const Ref<Node>& n : nodes)
        out.push_back(n->name);
    return out;
}

} // namespace

// root
//   a (group "twin")
//     a1 (point light "lamp")
//     a2 (camera "twin")
//   b (point light "twin")
//   c (camera "eye")
TEST(SceneLookupTest, LookupsFollowPreOrder) {
    Ref<Group> root = named("root", makeRef<Group>());
    Ref<Group> a = named("twin", makeRef<Group>());
    Ref<PointLight> a1 = named("lamp", makeRef<PointLight>(Vec3(1, 1, 1)));
    Ref<Camera> a2 = named("twin", makeRef<Camera>());
    Ref<PointLight> b = named("twin", makeRef<PointLight>(Vec3(1, 1, 1)));
    Ref<Camera> c = named("eye", makeRef<Camera>());
    Node::addChild(root.get(), a.get());
    Node::addChild(a.get(), a1.get());
    Node::addChild(a.get(), a2.get());
    Node::addChild(root.get(), b.get());
    Node::addChild(root.get(), c.get());

    Scene scene;
    scene.setRoot(root);
    EXPECT_EQ(scene.findByName("twin"), a.get());
    EXPECT_EQ(scene.findByNameAndKind("twin", KindCamera), a2.get())
        << "a descendant before the next sibling";
    EXPECT_EQ(scene.findByNameAndKind("twin", KindPointLight), b.get());
    EXPECT_EQ(scene.findByName("root"), root.get());
    EXPECT_EQ(scene.findByName("nobody"), nullptr);
    EXPECT_EQ(scene.findByNameAndKind("eye", KindPointLight), nullptr);

    std::vector<Ref<Node>> found;
    scene.collectByKind(KindCamera, found);
    EXPECT_EQ(names(found), (std::vector<std::string>{"twin", "eye"}));
    scene.collectByName("twin", found);
    EXPECT_EQ(names(found), (std::vector<std::string>{"twin", "eye", "twin", "twin", "twin"}))
        << "appended after what the vector held";
    EXPECT_EQ(found[2].get(), a.get());
    EXPECT_EQ(found[3].get(), a2.get());
    EXPECT_EQ(found[4].get(), b.get());
    found.clear();
    scene.collectByKind(KindAmbientLight, found);
    EXPECT_TRUE(found.empty());

    // Replacing the root lets the old tree go (its nodes are still held here, but unlinked).
    scene.setRoot(makeRef<Group>());
    EXPECT_EQ(a->firstChild(), nullptr);
    EXPECT_EQ(scene.findByName("twin"), nullptr);

    Scene empty;
    EXPECT_EQ(empty.findByName("root"), nullptr);
    empty.update(0);
    empty.freezeStaticTransforms();
    EXPECT_EQ(empty.nodeCount(), 0);
}
