#include "SceneTestSupport.h"
#include "scene/Camera.h"
#include "scene/CameraController.h"
#include "scene/EnableController.h"
#include "scene/FollowController.h"
#include "scene/Group.h"
#include "scene/LightIntensityController.h"
#include "scene/PointLight.h"
#include "scene/PositionController.h"
#include "scene/PositionRotationController.h"
#include "scene/PositionRotationScaleController.h"
#include "scene/RotationController.h"
#include "scene/ScaleController.h"
#include "scene/Scene.h"
#include "scene/SkeletonBone.h"
#include "scene/TransformAnimation.h"

#include <string>
#include <typeinfo>
#include <vector>

namespace {

// Slot i goes linearly from i at time 0 to 10 + i at time 10.
void fillSlots(Controller::Slots& slots) {
    for (int i = 0; i < Controller::SlotCount; ++i)
        slots[i] = linearEnvelope({{0.0f, float(i)}, {10.0f, 10.0f + i}});
}

void expectVec(const Vec3& v, float x, float y, float z, const char* what) {
    EXPECT_NEAR(v.x, x, 1e-5f) << what;
    EXPECT_NEAR(v.y, y, 1e-5f) << what;
    EXPECT_NEAR(v.z, z, 1e-5f) << what;
}

std::vector<std::string> controllerTypes(const Node& node) {
    std::vector<std::string> out;
    for (const Ref<Controller>& c : node.controllers()) {
        const Controller& controller = *c;
        const std::type_info& type = typeid(controller);
        if (type == typeid(PositionController))
            out.push_back("position");
        else if (type == typeid(RotationController))
            out.push_back("rotation");
        else if (type == typeid(ScaleController))
            out.push_back("scale");
        else if (type == typeid(PositionRotationController))
            out.push_back("position+rotation");
        else if (type == typeid(PositionRotationScaleController))
            out.push_back("position+rotation+scale");
        else if (type == typeid(CameraController))
            out.push_back("camera");
        else
            out.push_back("other");
    }
    return out;
}

} // namespace

TEST(ControllerTest, TransformControllersWriteTheirEnvelopes) {
    Controller::Slots slots;
    fillSlots(slots);
    Ref<Group> node = makeRef<Group>();
    for (float t : {0.0f, 2.5f, 10.0f}) {
        node->transform = NodeTransform();
        PositionController(slots).update(*node, t);
        expectVec(node->transform.position, t, 1 + t, 2 + t, "position");
        expectVec(node->transform.rotation, 0, 0, 0, "position alone leaves rotation");

        RotationController(slots).update(*node, t);
        expectVec(node->transform.rotation, -(3 + t), -(4 + t), -(5 + t), "rotation is negated");

        ScaleController(slots).update(*node, t);
        expectVec(node->transform.scale, 6 + t, 7 + t, 8 + t, "scale");

        node->transform = NodeTransform();
        PositionRotationController(slots).update(*node, t);
        expectVec(node->transform.position, t, 1 + t, 2 + t, "combined position");
        expectVec(node->transform.rotation, -(3 + t), -(4 + t), -(5 + t), "combined rotation");
        expectVec(node->transform.scale, 1, 1, 1, "no scale from the pair");

        node->transform = NodeTransform();
        PositionRotationScaleController(slots).update(*node, t);
        expectVec(node->transform.position, t, 1 + t, 2 + t, "all nine: position");
        expectVec(node->transform.rotation, -(3 + t), -(4 + t), -(5 + t), "all nine: rotation");
        expectVec(node->transform.scale, 6 + t, 7 + t, 8 + t, "all nine: scale");
    }
}

TEST(ControllerTest, CameraControllerOffsetsHeadingByPi) {
    Controller::Slots slots;
    fillSlots(slots);
    slots[Controller::SlotH] = constantEnvelope(3.1415927f);
    Ref<Camera> camera = makeRef<Camera>();
    CameraController(slots).update(*camera, 5);
    expectVec(camera->transform.position, 5, 6, 7, "camera position");
    expectVec(camera->transform.rotation, 0, 9, 10, "heading of pi is 0; pitch and bank as given");

    // Empty slots keep what the camera had.
    Controller::Slots partial;
    partial[Controller::SlotY] = constantEnvelope(-2);
    camera->transform.position = {1, 1, 1};
    camera->transform.rotation = {0.5f, 0.5f, 0.5f};
    CameraController(partial).update(*camera, 0);
    expectVec(camera->transform.position, 1, -2, 1, "only y animated");
    expectVec(camera->transform.rotation, 0.5f, 0.5f, 0.5f, "no rotation slot");
}

TEST(ControllerTest, EnableAndLightIntensity) {
    Ref<Group> node = makeRef<Group>();
    Ref<Envelope> half = linearEnvelope({{0.0f, 0.0f}, {1.0f, 1.0f}});
    EnableController enable(half);
    enable.update(*node, 0.5f);
    EXPECT_FALSE(node->enabled) << "exactly 0.5 disables";
    enable.update(*node, 0.51f);
    EXPECT_TRUE(node->enabled);
    enable.update(*node, 0.2f);
    EXPECT_FALSE(node->enabled);

    Ref<PointLight> light = makeRef<PointLight>(Vec3(1, 1, 1));
    LightIntensityController intensity(linearEnvelope({{0.0f, 2.0f}, {4.0f, 0.0f}}));
    intensity.update(*light, 1);
    EXPECT_FLOAT_EQ(light->intensity, 1.5f);
    intensity.update(*light, 4);
    EXPECT_FLOAT_EQ(light->intensity, 0.0f);
    // On a node that is no light the controller has nothing to write.
    node->transform.position = {1, 2, 3};
    intensity.update(*node, 1);
    expectVec(node->transform.position, 1, 2, 3, "a group is left alone");
}

TEST(ControllerTest, FollowerCopiesItsTargetsMatrices) {
    Ref<Group> root = makeRef<Group>(), follower = makeRef<Group>(), target = makeRef<Group>();
    Node::addChild(root.get(), follower.get()); // before its target in the walk
    Node::addChild(root.get(), target.get());
    target->transform.flags = NodeTransform::HasPosition;
    follower->addController(makeRef<FollowController>(target));
    follower->transform.flags =
        NodeTransform::LocalFrozen | NodeTransform::WorldFrozen | NodeTransform::Dynamic;

    Scene scene;
    scene.setRoot(root);
    target->transform.position = {1, 0, 0};
    scene.update(0);
    target->transform.position = {2, 0, 0};
    scene.update(1);
    EXPECT_FLOAT_EQ(follower->transform.worldPosition.x, 1)
        << "updated before its target: last frame's values";
    EXPECT_FLOAT_EQ(follower->transform.world.m[3], 1);
    EXPECT_FLOAT_EQ(follower->transform.local.m[3], 1);
    scene.update(2);
    EXPECT_FLOAT_EQ(follower->transform.worldPosition.x, 2);

    // A node that follows itself keeps its own matrices.
    Ref<Group> self = makeRef<Group>();
    self->addController(makeRef<FollowController>(self));
    self->transform.worldPosition = {4, 0, 0};
    self->controllers()[0]->update(*self, 0);
    EXPECT_FLOAT_EQ(self->transform.worldPosition.x, 4);
    Ref<Node> selfLink = std::move(self);
    Node::releaseSubtree(selfLink);
}

TEST(ControllerTest, FollowEntriesResolveByNameAfterLoading) {
    Ref<Group> root = makeRef<Group>(), first = makeRef<Group>(), second = makeRef<Group>(),
               target = makeRef<Group>(), decoy = makeRef<Group>();
    target->name = "lamp post";
    decoy->name = "lamp post";
    Node::addChild(root.get(), first.get());
    Node::addChild(root.get(), target.get());
    Node::addChild(root.get(), second.get());
    Node::addChild(second.get(), decoy.get());
    target->transform.flags = NodeTransform::HasPosition;
    target->transform.position = {0, 3, 0};
    Scene scene;
    scene.setRoot(root);
    scene.freezeStaticTransforms();

    ASSERT_TRUE(FollowController::attach(scene, *first, "lamp post"));
    ASSERT_TRUE(FollowController::attach(scene, *second, "lamp post")) << "two followers, one target";
    EXPECT_EQ(first->transform.flags, 0x70u);
    EXPECT_EQ(static_cast<FollowController*>(second->controllers()[0].get())->target().get(), target.get())
        << "the first node of that name in the walk";
    EXPECT_FALSE(FollowController::attach(scene, *first, "nobody"));
    EXPECT_EQ(first->controllers().size(), 1u);
    scene.update(0);
    EXPECT_FLOAT_EQ(first->transform.worldPosition.y, 3) << "a frozen target is followed as well";
    EXPECT_FLOAT_EQ(second->transform.worldPosition.y, 3);
    EXPECT_FLOAT_EQ(decoy->transform.worldPosition.y, 0) << "frozen before the follow began";
}

TEST(ControllerTest, AControllerIsAttachedOnce) {
    Ref<Group> node = makeRef<Group>();
    Ref<Controller> c = makeRef<EnableController>(constantEnvelope(1));
    node->addController(c);
    node->addController(c);
    node->addController(nullptr);
    EXPECT_EQ(node->controllers().size(), 1u);
}

TEST(ControllerTest, ChoiceForEachTransformVariant) {
    struct Case {
        bool position, rotation, scale;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {true, true, true, {"position+rotation+scale"}},
        {true, true, false, {"position+rotation"}},
        {true, false, true, {"position", "scale"}},
        {true, false, false, {"position"}},
        {false, true, true, {"rotation", "scale"}},
        {false, true, false, {"rotation"}},
        {false, false, true, {"scale"}},
        {false, false, false, {}},
    };
    for (const Case& c : cases) {
        TransformAnimation animation;
        fillSlots(animation.slots);
        animation.positionAnimated = c.position;
        animation.rotationAnimated = c.rotation;
        animation.scaleAnimated = c.scale;
        Ref<Group> node = makeRef<Group>();
        animation.attachTo(*node);
        const std::string label =
            std::to_string(c.position) + std::to_string(c.rotation) + std::to_string(c.scale);
        EXPECT_EQ(controllerTypes(*node), c.expected) << label;
        const bool animated = c.position || c.rotation || c.scale;
        EXPECT_EQ(bool(node->transform.flags & NodeTransform::Dynamic), animated) << label;
        EXPECT_EQ(bool(node->transform.flags & NodeTransform::HasScale), c.scale) << label;
    }

    // Position animated, rotation plain: a position controller and a negated static rotation.
    TransformAnimation mixed;
    fillSlots(mixed.slots);
    mixed.positionAnimated = true;
    mixed.rotationPlain = true;
    Ref<Group> node = makeRef<Group>();
    node->transform.rotation = {0.1f, -0.2f, 0.3f};
    mixed.attachTo(*node);
    EXPECT_EQ(controllerTypes(*node), std::vector<std::string>{"position"});
    expectVec(node->transform.rotation, -0.1f, 0.2f, -0.3f, "plain rotation negated");

    // A static bone still becomes dynamic.
    TransformAnimation still;
    still.rotationPlain = true;
    Ref<SkeletonBone> bone = makeRef<SkeletonBone>();
    still.attachTo(*bone);
    EXPECT_TRUE(bone->transform.flags & NodeTransform::Dynamic);
    EXPECT_TRUE(bone->controllers().empty());

    // A camera gets the camera controller alone, whatever is animated, and no negation.
    TransformAnimation cameraAnimation;
    fillSlots(cameraAnimation.slots);
    cameraAnimation.positionAnimated = cameraAnimation.rotationAnimated = cameraAnimation.scaleAnimated =
        true;
    cameraAnimation.rotationPlain = true;
    Ref<Camera> camera = makeRef<Camera>();
    camera->transform.rotation = {0.5f, 0, 0};
    cameraAnimation.attachTo(*camera);
    EXPECT_EQ(controllerTypes(*camera), std::vector<std::string>{"camera"});
    EXPECT_TRUE(camera->transform.flags & NodeTransform::Dynamic);
    EXPECT_FLOAT_EQ(camera->transform.rotation.x, 0.5f);
}
