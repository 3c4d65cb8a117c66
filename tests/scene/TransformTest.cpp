#include "SceneTestSupport.h"
#include "scene/Group.h"
#include "scene/NodeTransform.h"
#include "scene/Scene.h"

namespace {

Ref<Group> group(const char* name) {
    Ref<Group> g = makeRef<Group>();
    g->name = name;
    return g;
}

} // namespace

TEST(TransformTest, RotationIsHeadingThenPitchThenBank) {
    const Vec3 r(0.3f, -0.7f, 1.1f);
    const Mat4 expected = Mat4::rotationY(r.x) * Mat4::rotationX(r.y) * Mat4::rotationZ(r.z);
    EXPECT_TRUE(matricesNear(NodeTransform::rotationMatrix(r), expected));
}

TEST(TransformTest, LocalMatrixFollowsTheComponentFlags) {
    NodeTransform t;
    t.position = {1, 2, 3};
    t.rotation = {0.4f, 0.2f, -0.5f};
    t.scale = {2, 3, 4};
    t.pivot = {0.5f, -1, 2};
    const Mat4 T = Mat4::translation(t.position), R = NodeTransform::rotationMatrix(t.rotation),
               S = Mat4::scaling(t.scale), P = Mat4::translation(-t.pivot);
    struct Case {
        uint32_t flags;
        Mat4 expected;
    };
    const Case cases[] = {
        {NodeTransform::HasPosition, T},
        {NodeTransform::HasRotation, R},
        {NodeTransform::HasPosition | NodeTransform::HasRotation, T * R},
        {NodeTransform::HasScale, S},
        {NodeTransform::HasPosition | NodeTransform::HasScale, T * S},
        {NodeTransform::HasPosition | NodeTransform::HasRotation | NodeTransform::HasScale, T * R * S},
        // Rotation and scale without position take the general path, so the pivot counts.
        {NodeTransform::HasRotation | NodeTransform::HasScale, T * R * S * P},
        {NodeTransform::HasPivot, T * R * S * P},
        {0x0F, T * R * S * P},
    };
    for (const Case& c : cases) {
        t.flags = c.flags;
        t.local = Mat4();
        t.rebuildLocal();
        EXPECT_TRUE(matricesNear(t.local, c.expected)) << "flags " << c.flags;
    }
    t.flags = NodeTransform::HasPosition | NodeTransform::LocalFrozen;
    t.local = Mat4::scaling({5, 5, 5});
    t.rebuildLocal();
    EXPECT_EQ(t.local, Mat4::scaling({5, 5, 5})) << "a frozen local matrix is kept";
}

TEST(TransformTest, WorldMatricesOfThreeLevelsWithNonUniformScale) {
    Ref<Group> root = group("root"), middle = group("middle"), leaf = group("leaf");
    Node::addChild(root.get(), middle.get());
    Node::addChild(middle.get(), leaf.get());
    root->transform.flags = NodeTransform::HasPosition | NodeTransform::HasScale;
    root->transform.position = {10, 0, 0};
    root->transform.scale = {2, 1, 0.5f};
    middle->transform.flags = NodeTransform::HasPosition | NodeTransform::HasRotation;
    middle->transform.position = {0, 4, 0};
    middle->transform.rotation = {1.5707964f, 0, 0}; // a quarter turn about Y
    leaf->transform.flags = NodeTransform::HasPosition;
    leaf->transform.position = {1, 0, 0};

    Scene scene;
    scene.setRoot(root);
    scene.update(0);

    // By hand: the root maps (x, y, z) to (2x + 10, y, z / 2). The middle group's quarter turn
    // about Y takes +X to −Z, so the leaf's origin (1, 0, 0) sits at (0, 4, −1) in the root's
    // frame and at (10, 4, −0.5) in the world.
    const Mat4 rootWorld = Mat4::fromValues({2, 0, 0, 10, 0, 1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1});
    const Mat4 middleWorld = Mat4::fromValues({0, 0, 2, 10, 0, 1, 0, 4, -0.5f, 0, 0, 0, 0, 0, 0, 1});
    const Mat4 leafWorld = Mat4::fromValues({0, 0, 2, 10, 0, 1, 0, 4, -0.5f, 0, 0, -0.5f, 0, 0, 0, 1});
    EXPECT_TRUE(matricesNear(root->transform.world, rootWorld));
    EXPECT_TRUE(matricesNear(middle->transform.world, middleWorld));
    EXPECT_TRUE(matricesNear(leaf->transform.world, leafWorld));
    EXPECT_NEAR(leaf->transform.worldPosition.x, 10, 1e-5f);
    EXPECT_NEAR(leaf->transform.worldPosition.y, 4, 1e-5f);
    EXPECT_NEAR(leaf->transform.worldPosition.z, -0.5f, 1e-5f);

    // A node without component flags keeps its local matrix but still follows its parent.
    leaf->transform.flags = 0;
    leaf->transform.local = Mat4::translation({0, 0, 2});
    root->transform.position = {0, 0, 0};
    scene.update(1);
    EXPECT_EQ(leaf->transform.local, Mat4::translation({0, 0, 2}));
    EXPECT_TRUE(matricesNear(leaf->transform.world, middle->transform.world * Mat4::translation({0, 0, 2})));
}

TEST(TransformTest, FreezingStopsStaticSubtreesButNotAnimatedChildren) {
    Ref<Group> root = group("root"), still = group("still"), stillChild = group("still child"),
               moving = group("moving"), underMoving = group("under moving");
    Node::addChild(root.get(), still.get());
    Node::addChild(still.get(), stillChild.get());
    Node::addChild(still.get(), moving.get());
    Node::addChild(moving.get(), underMoving.get());
    for (Group* g : {root.get(), still.get(), stillChild.get(), moving.get(), underMoving.get()}) {
        g->transform.flags = NodeTransform::HasPosition;
        g->transform.position = {1, 0, 0};
    }
    moving->transform.flags |= NodeTransform::Dynamic;

    Scene scene;
    scene.setRoot(root);
    scene.freezeStaticTransforms();
    EXPECT_EQ(scene.nodeCount(), 5);
    EXPECT_EQ(scene.localFrozenCount(), 4) << "every node but the animated one";
    EXPECT_EQ(scene.worldFrozenCount(), 3)
        << "root, still and its static child; not the node under the animated one";
    EXPECT_NEAR(stillChild->transform.worldPosition.x, 3, 1e-6f)
        << "frozen worlds are computed while freezing";

    // Changes to frozen nodes no longer reach their matrices; the animated node and what hangs
    // under it keep following.
    still->transform.position = {100, 0, 0};
    moving->transform.position = {5, 0, 0};
    scene.update(0);
    EXPECT_NEAR(still->transform.world.m[3], 2, 1e-6f);
    EXPECT_NEAR(stillChild->transform.world.m[3], 3, 1e-6f);
    EXPECT_NEAR(moving->transform.world.m[3], 7, 1e-6f);
    EXPECT_NEAR(underMoving->transform.world.m[3], 8, 1e-6f) << "a frozen local under a moving parent";
    moving->transform.position = {6, 0, 0};
    scene.update(1);
    EXPECT_NEAR(underMoving->transform.worldPosition.x, 9, 1e-6f);
}

TEST(TransformTest, ChildrenKeepInsertionOrderAndMoveBetweenParents) {
    Ref<Group> a = group("a"), b = group("b"), c = group("c"), other = group("other");
    Node::addChild(a.get(), b.get());
    Node::addChild(a.get(), c.get());
    EXPECT_EQ(a->firstChild(), b.get());
    EXPECT_EQ(b->nextSibling(), c.get()) << "a new child goes after the existing ones";

    // Moving b unlinks it from a's list: a keeps c alone and other's list ends at b.
    ASSERT_TRUE(Node::addChild(other.get(), b.get()));
    EXPECT_EQ(a->firstChild(), c.get());
    EXPECT_EQ(c->nextSibling(), nullptr);
    EXPECT_EQ(other->firstChild(), b.get());
    EXPECT_EQ(b->nextSibling(), nullptr);
    EXPECT_EQ(b->parent(), other.get());
    Ref<Group> d = group("d");
    Node::addChild(a.get(), d.get());
    EXPECT_EQ(c->nextSibling(), d.get()) << "the tail follows removals";

    // Links that would close a loop are refused and change nothing.
    EXPECT_FALSE(Node::addChild(a.get(), a.get()));
    Node::addChild(c.get(), other.get());
    EXPECT_FALSE(Node::addChild(b.get(), a.get())) << "a under its own descendant";
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_FALSE(Node::addChild(nullptr, a.get()));

    Ref<Node> link = a;
    a = nullptr;
    Node::releaseSubtree(link);
}

namespace {
int gDestroyed = 0;
struct Tracked : Group {
    ~Tracked() override { ++gDestroyed; }
};
} // namespace

TEST(TransformTest, ReleasingASubtreeFreesEveryNodeDespiteParentLinks) {
    gDestroyed = 0;
    Ref<Node> root = makeRef<Tracked>();
    {
        Ref<Node> a = makeRef<Tracked>(), b = makeRef<Tracked>(), c = makeRef<Tracked>();
        Node::addChild(root.get(), a.get());
        Node::addChild(a.get(), b.get());
        Node::addChild(root.get(), c.get());
        EXPECT_EQ(root->referenceCount(), 3) << "children count their parent";
    }
    EXPECT_EQ(gDestroyed, 0);
    Node::releaseSubtree(root);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(gDestroyed, 4);

    // A long sibling chain goes one node at a time, not one stack frame per sibling.
    gDestroyed = 0;
    Ref<Node> wide = makeRef<Tracked>();
    for (int i = 0; i < 200000; ++i)
        Node::addChild(wide.get(), makeRef<Tracked>().get());
    Node::releaseSubtree(wide);
    EXPECT_EQ(gDestroyed, 200001);
}
