#include "scenefile/SceneLoaderXML.h"

#include "assets/Mesh.h"
#include "core/Diagnostics.h"
#include "core/Paths.h"
#include "core/XmlAttributes.h"
#include "demo/LoadingScreen.h"
#include "particles/ParticleSystem.h"
#include "render/Program.h"
#include "render/UniformBuffer.h"
#include "scene/EnableController.h"
#include "scene/Envelope.h"
#include "scene/FollowController.h"
#include "scene/Group.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/Skeleton.h"
#include "scene/TransformAnimation.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

using tinyxml2::XMLElement;

namespace {

// Elements read by their parent element's own parser.
const char* const kConsumedByParent[] = {"program",      "samplerset",      "uniforms", "drawstate",
                                         "restposition", "restorientation", "extrude",  "atmosphere",
                                         "intensity",    "particleprops",   "spawnrate"};

// Elements that advance the loading screen once created.
const char* const kProgressElements[] = {"camera",   "skeleton", "bone",
                                         "submodel", "material", "particlesystem"};

template <size_t N> bool isOneOf(const char* name, const char* const (&names)[N]) {
    for (const char* n : names)
        if (std::strcmp(name, n) == 0)
            return true;
    return false;
}

// Nesting deeper than this is refused rather than followed by recursion.
constexpr int kMaxDepth = 256;

} // namespace

SceneLoaderXML::SceneLoaderXML() = default;
SceneLoaderXML::~SceneLoaderXML() = default;

void SceneLoaderXML::reset() {
    followList_.clear();
    shadowMasks_.clear();
    currentMesh_ = nullptr;
    currentSkeleton_ = nullptr;
    skeletonElement_ = nullptr;
    vaoProgram_ = nullptr;
    materialBuilder_.reset();
    currentProgram_ = nullptr;
    atmosphereUniforms_ = nullptr;
    atmosphereRead_ = false;
    resetParticleState();
    loadingScreen_ = nullptr;
    depth_ = 0;
}

bool SceneLoaderXML::fail(const XMLElement* e, const char* reason, ...) {
    // "line N: element: reason"
    const std::string place =
        "line " + std::to_string(e ? e->GetLineNum() : 0) + ": " + (e ? e->Name() : "scene");
    va_list args;
    va_start(args, reason);
    diagnosticV(file_.c_str(), place.c_str(), reason, args);
    va_end(args);
    return false;
}

bool SceneLoaderXML::failUnlessSaid(unsigned before, const XMLElement* e, const char* reason) {
    return diagnosticCount() != before ? false : fail(e, "%s", reason);
}

void SceneLoaderXML::countProgress(const XMLElement* e, unsigned& count) const {
    // An explicit stack: the count runs before the reader's depth check.
    std::vector<const XMLElement*> pending{e};
    while (!pending.empty()) {
        const XMLElement* parent = pending.back();
        pending.pop_back();
        for (const XMLElement* c = parent->FirstChildElement(); c; c = c->NextSiblingElement()) {
            if (std::strcmp(c->Name(), "envelope") == 0)
                continue;
            if (isOneOf(c->Name(), kProgressElements))
                ++count;
            pending.push_back(c);
        }
    }
}

void SceneLoaderXML::advance() {
    if (!loadingScreen_)
        return;
    // The frame drawn already includes the element just created.
    loadingScreen_->progress += loadingScreen_->getStep();
    loadingScreen_->draw(loadingScreen_->device, 1.0f);
}

Ref<Scene> SceneLoaderXML::load(const std::string& path, const Ref<LoadingScreen>& loadingScreen) {
    reset();
    file_ = resolveDataPath(path);
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLError error = doc.LoadFile(file_.c_str());
    if (std::string why = unreadableFileReason(file_); !why.empty()) {
        diagnostic(file_.c_str(), "scene", "%s", why.c_str());
        return nullptr;
    }
    if (error != tinyxml2::XML_SUCCESS) {
        xml::reportParseError(file_, doc);
        return nullptr;
    }
    const XMLElement* sceneElement = doc.FirstChildElement("scene");
    if (!sceneElement) {
        diagnostic(file_.c_str(), "scene", "no <scene> element");
        return nullptr;
    }

    loadingScreen_ = loadingScreen;
    const float share = loadingScreen_ ? loadingScreen_->getStep() : 0.0f;
    if (loadingScreen_) {
        unsigned count = 0;
        countProgress(sceneElement, count);
        loadingScreen_->setStep(count ? share / float(count) : 0.0f);
    }

    Ref<Node> root = makeRef<Group>();
    bool ok = readChildren(sceneElement, root.get());
    if (loadingScreen_)
        loadingScreen_->setStep(share);
    if (ok && currentSkeleton_)
        ok = finishSkeleton(skeletonElement_);
    Ref<Scene> scene;
    if (ok) {
        root->shadowCasterMask = 0xFFFFFFFFu;
        scene = makeRef<Scene>();
        scene->setRoot(root);
        scene->freezeStaticTransforms();
        // One walk finds the first node of every name, instead of one search per entry.
        std::unordered_map<std::string, Node*> firstByName;
        if (!followList_.empty()) {
            std::vector<Node*> pending{root.get()};
            while (!pending.empty()) {
                Node* n = pending.back();
                pending.pop_back();
                firstByName.emplace(n->name, n);
                if (n->nextSibling())
                    pending.push_back(n->nextSibling());
                if (n->firstChild())
                    pending.push_back(n->firstChild());
            }
        }
        for (const FollowEntry& f : followList_) {
            auto it = firstByName.find(f.target);
            if (!FollowController::attach(it == firstByName.end() ? nullptr : it->second, *f.follower)) {
                diagnostic(file_.c_str(), ("line " + std::to_string(f.line)).c_str(),
                           "follow: no node named \"%s\" to follow", f.target.c_str());
                ok = false;
                break;
            }
        }
    }
    // The per-file state keeps nodes alive; drop it before the tree is released or answered.
    const auto masks = shadowMasks_;
    reset();
    shadowMasks_ = masks;
    if (!ok) {
        if (scene)
            scene->setRoot(nullptr);
        Node::releaseSubtree(root);
        return nullptr;
    }
    return scene;
}

bool SceneLoaderXML::readChildren(const XMLElement* e, Node* parent) {
    if (++depth_ > kMaxDepth) {
        --depth_;
        return fail(e, "elements nested more than %d deep", kMaxDepth);
    }
    bool ok = true;
    for (const XMLElement* c = e->FirstChildElement(); c && ok; c = c->NextSiblingElement())
        ok = readElement(c, parent);
    --depth_;
    return ok;
}

bool SceneLoaderXML::readElement(const XMLElement* e, Node* parent) {
    const char* name = e->Name();
    if (std::strcmp(name, "shadowcasters") == 0)
        return readShadowCasters(e);
    if (std::strcmp(name, "transform") == 0)
        return readTransform(e, *parent);
    if (std::strcmp(name, "enable") == 0)
        return readEnable(e, *parent);
    if (std::strcmp(name, "shapeextrude") == 0)
        return readShapeExtrude(e);
    bool known = false;
    const bool ok = readNodeElement(e, parent, known);
    if (known)
        return ok;
    if (isOneOf(name, kConsumedByParent))
        return true;
    if (!handler_)
        return fail(e, "unknown element");
    Ref<Node> node;
    bool readNode = false, handled = false;
    handler_->createNode(node, e, parent, readNode, handled);
    if (!handled)
        return fail(e, "unknown element");
    if (node && readNode)
        return applyCommonAttributes(e, *node) && readChildren(e, node.get());
    return true;
}

bool SceneLoaderXML::attachNode(const XMLElement* e, Node* parent, const Ref<Node>& node) {
    if (!node)
        return false;
    Node::addChild(parent, node.get());
    if (isOneOf(e->Name(), kProgressElements))
        advance();
    return applyCommonAttributes(e, *node) && readChildren(e, node.get());
}

bool SceneLoaderXML::applyCommonAttributes(const XMLElement* e, Node& node) {
    if (const char* name = xml::text(e, "name"))
        node.name = name;
    if (const char* masks = xml::text(e, "shadowcastermask")) {
        if (shadowMasks_.empty())
            return fail(e, "\"shadowcastermask\" before any shadowcasters table");
        uint32_t mask = 0;
        for (const char* p = masks; *p;) {
            while (*p == ' ')
                ++p;
            const char* end = p;
            while (*end && *end != ' ')
                ++end;
            if (end == p)
                break;
            auto it = shadowMasks_.find(std::string(p, end));
            if (it == shadowMasks_.end())
                return fail(e, "shadow mask \"%.*s\" is not in the shadowcasters table", int(end - p), p);
            mask |= it->second;
            p = end;
        }
        node.shadowCasterMask = mask;
    }
    if (e->Attribute("disabled"))
        node.enabled = false;
    else if (e->Attribute("enabled"))
        node.enabled = true;
    return true;
}

bool SceneLoaderXML::readShadowCasters(const XMLElement* e) {
    if (!shadowMasks_.empty())
        return fail(e, "a second shadowcasters table");
    for (const XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) {
        const char* name = xml::text(c, "name");
        int value = 0;
        if (std::strcmp(c->Name(), "shadowmask") != 0 || !name || !xml::queryInt(c, "value", value))
            return fail(c, "a shadowcasters child must be a shadowmask with \"name\" and \"value\"");
        if (!shadowMasks_.emplace(name, uint32_t(value)).second)
            return fail(c, "shadow mask \"%s\" is already in the table", name);
    }
    return true;
}

namespace {

// The envelope inside `e`'s child `name`, or null when either is missing.
Ref<Envelope> childEnvelope(const XMLElement* e, const char* name) {
    const XMLElement* c = e->FirstChildElement(name);
    const XMLElement* envelope = c ? c->FirstChildElement("envelope") : nullptr;
    Ref<Envelope> out;
    if (envelope)
        Envelope::readElement(envelope, out);
    return out;
}

} // namespace

bool SceneLoaderXML::readTransform(const XMLElement* e, Node& node) {
    NodeTransform& t = node.transform;
    t.flags = 0;
    TransformAnimation animation;
    // Reads three attributes (all present; unreadable ones give `fallback`) or three envelopes.
    auto readTriple = [&](const XMLElement* c, const char* const(&names)[3], float fallback, Vec3& value,
                          Ref<Envelope>* slots, bool& animated) {
        animated = c->FirstChild() != nullptr;
        if (animated) {
            for (int i = 0; i < 3; ++i) {
                slots[i] = childEnvelope(c, names[i]);
                if (!slots[i])
                    return fail(c, "\"%s\" needs an envelope", names[i]);
            }
            return true;
        }
        float v[3];
        for (int i = 0; i < 3; ++i) {
            if (!c->Attribute(names[i]))
                return fail(c, "missing attribute \"%s\"", names[i]);
            v[i] = xml::floatAttr(c, names[i], fallback);
        }
        value = Vec3(v[0], v[1], v[2]);
        for (int i = 0; i < 3; ++i)
            slots[i] = nullptr;
        return true;
    };
    static const char* const xyz[3] = {"x", "y", "z"};
    static const char* const hpb[3] = {"h", "p", "b"};
    for (const XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) {
        const char* name = c->Name();
        if (std::strcmp(name, "position") == 0) {
            if (!readTriple(c, xyz, 0.0f, t.position, &animation.slots[Controller::SlotX],
                            animation.positionAnimated))
                return false;
            t.flags |= NodeTransform::HasPosition;
        } else if (std::strcmp(name, "rotation") == 0) {
            if (!readTriple(c, hpb, 0.0f, t.rotation, &animation.slots[Controller::SlotH],
                            animation.rotationAnimated))
                return false;
            animation.rotationPlain = !animation.rotationAnimated;
            t.flags |= NodeTransform::HasRotation;
        } else if (std::strcmp(name, "scale") == 0) {
            if (!readTriple(c, xyz, 1.0f, t.scale, &animation.slots[Controller::SlotSX],
                            animation.scaleAnimated))
                return false;
            t.flags |= NodeTransform::HasScale;
        } else if (std::strcmp(name, "pivot") == 0) {
            for (const char* a : xyz)
                if (!c->Attribute(a))
                    return fail(c, "missing attribute \"%s\"", a);
            t.pivot = Vec3(xml::floatAttr(c, "x", 0), xml::floatAttr(c, "y", 0), xml::floatAttr(c, "z", 0));
            t.flags |= NodeTransform::HasPivot;
        } else if (std::strcmp(name, "follow") == 0) {
            const char* target = xml::text(c, "name");
            if (!target)
                return fail(c, "missing attribute \"name\"");
            followList_.push_back({Ref<Node>(&node), target, c->GetLineNum()});
        }
    }
    animation.attachTo(node);
    return true;
}

bool SceneLoaderXML::readEnable(const XMLElement* e, Node& node) {
    const XMLElement* envelopeElement = e->FirstChildElement("envelope");
    if (!envelopeElement)
        return fail(e, "needs an envelope");
    Ref<Envelope> envelope;
    Envelope::readElement(envelopeElement, envelope);
    node.addController(makeRef<EnableController>(envelope));
    return true;
}

bool SceneLoaderXML::finishSkeleton(const XMLElement* e) {
    Ref<Skeleton> skeleton = currentSkeleton_;
    currentSkeleton_ = nullptr;
    skeletonElement_ = nullptr;
    // The skeleton names its mesh when it refuses; these checks name the scene file instead.
    const Mesh* mesh = skeleton->mesh().get();
    if (!mesh || !mesh->skinned())
        return fail(e, "no skinned mesh (a vao before the skeleton) to match the bones against");
    const std::vector<std::string>& names = mesh->boneNames();
    if (names.size() != size_t(skeleton->boneCount()))
        return fail(e, "the mesh has %zu bones, the skeleton %d", names.size(), skeleton->boneCount());
    for (const SkeletonBone* bone : skeleton->bones())
        if (std::find(names.begin(), names.end(), bone->name) == names.end())
            return fail(e, "the mesh has no bone named \"%s\"", bone->name.c_str());
    const unsigned before = diagnosticCount();
    if (!skeleton->matchBones())
        return failUnlessSaid(before, e, "the bones do not match the mesh's bones");
    skeleton->bindRestPose();
    return true;
}
