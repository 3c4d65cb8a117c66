// The node elements of scene files: cameras, lights, materials, geometry, skeletons and the
// extruded-shape generator.
#include "scenefile/SceneLoaderXML.h"

#include "assets/Mesh.h"
#include "core/XmlAttributes.h"
#include "demo/Registries.h"
#include "particles/ParticleSystem.h"
#include "render/Program.h"
#include "render/VertexArrayObject.h"
#include "scene/AmbientLight.h"
#include "scene/AreaLight.h"
#include "scene/ArrayModel.h"
#include "scene/Camera.h"
#include "scene/CubeLight.h"
#include "scene/DirectionalLight.h"
#include "scene/EnvelopeShapeFunctor.h"
#include "scene/Group.h"
#include "scene/LightIntensityController.h"
#include "scene/LinearLight.h"
#include "scene/Material.h"
#include "scene/PointLight.h"
#include "scene/ProjectiveLight.h"
#include "scene/ShapeExtrude.h"
#include "scene/Skeleton.h"
#include "scene/SpotLight.h"
#include "scene/SubModel.h"
#include "scene/VAOModel.h"

#include <tinyxml2.h>

#include <cstring>

using tinyxml2::XMLElement;

namespace {

bool isLightElement(const char* name) {
    static const char* const kLights[] = {"ambientlight",    "directionallight", "pointlight",
                                          "spotlight",       "arealight",        "cubelight",
                                          "projectivelight", "linearlight"};
    for (const char* n : kLights)
        if (std::strcmp(name, n) == 0)
            return true;
    return false;
}

} // namespace

bool SceneLoaderXML::readNodeElement(const XMLElement* e, Node* parent, bool& known) {
    const char* name = e->Name();
    known = true;
    Ref<Node> node;
    if (std::strcmp(name, "group") == 0)
        node = makeRef<Group>();
    else if (std::strcmp(name, "camera") == 0)
        node = createCamera(e);
    else if (std::strcmp(name, "material") == 0)
        node = materialBuilder_.read(e, *this);
    else if (std::strcmp(name, "vao") == 0)
        node = createVao(e);
    else if (std::strcmp(name, "submodel") == 0)
        node = createSubModel(e, false);
    else if (std::strcmp(name, "arraymodel") == 0)
        node = createSubModel(e, true);
    else if (std::strcmp(name, "skeleton") == 0)
        node = createSkeleton(e);
    else if (std::strcmp(name, "bone") == 0)
        node = createBone(e, parent);
    else if (isLightElement(name))
        node = createLight(e);
    else
        return readEffectElement(e, parent, known);
    if (!known)
        return false;
    return attachNode(e, parent, node);
}

Ref<Node> SceneLoaderXML::createCamera(const XMLElement* e) {
    Ref<Camera> camera = makeRef<Camera>();
    camera->fov = xml::floatAttr(e, "fov", 45.0f);
    camera->nearZ = xml::floatAttr(e, "nearZ", 1.0f);
    camera->farZ = xml::floatAttr(e, "farZ", 1024.0f);
    return camera;
}

Ref<Node> SceneLoaderXML::createLight(const XMLElement* e) {
    const char* name = e->Name();
    const Vec3 colour(xml::floatAttr(e, "color.r", 1.0f), xml::floatAttr(e, "color.g", 1.0f),
                      xml::floatAttr(e, "color.b", 1.0f));
    const float radius = xml::floatAttr(e, "radius", 1.0f);
    Ref<Light> light;
    if (std::strcmp(name, "ambientlight") == 0) {
        Ref<AmbientLight> ambient = makeRef<AmbientLight>(colour);
        ambient->followsSky = xml::boolAttr(e, "sky", false);
        const Vec3 ground(xml::floatAttr(e, "ground.r", 0.3f), xml::floatAttr(e, "ground.g", 0.3f),
                          xml::floatAttr(e, "ground.b", 0.3f));
        // Ground reflects at most what reaches it.
        for (float c : {ground.x, ground.y, ground.z})
            if (!(c >= 0.0f && c <= 1.0f)) {
                fail(e, "\"ground\" colour values must lie in [0, 1]");
                return nullptr;
            }
        ambient->groundAlbedo = ground;
        light = ambient;
    } else if (std::strcmp(name, "directionallight") == 0) {
        light = makeRef<DirectionalLight>(colour);
    } else if (std::strcmp(name, "pointlight") == 0) {
        light = makeRef<PointLight>(colour, radius, xml::floatAttr(e, "particleradius", 0.0f));
    } else if (std::strcmp(name, "spotlight") == 0) {
        light = makeRef<SpotLight>(colour, radius, xml::floatAttr(e, "coneangle", 45.0f),
                                   xml::floatAttr(e, "edgeangle", 40.0f));
    } else if (std::strcmp(name, "arealight") == 0) {
        light = makeRef<AreaLight>(colour, radius);
    } else if (std::strcmp(name, "linearlight") == 0) {
        light = makeRef<LinearLight>(colour, radius, xml::floatAttr(e, "width", 1.0f));
    } else if (std::strcmp(name, "cubelight") == 0 || std::strcmp(name, "projectivelight") == 0) {
        const char* textureName = xml::text(e, "texture");
        if (!textureName) {
            fail(e, "missing attribute \"texture\"");
            return nullptr;
        }
        Ref<Texture> texture = textureRegistry().find(textureName);
        if (!texture) {
            fail(e, "no texture named \"%s\" is registered", textureName);
            return nullptr;
        }
        if (name[0] == 'c')
            light = makeRef<CubeLight>(colour, texture, radius);
        else
            light = makeRef<ProjectiveLight>(colour, texture, radius, xml::floatAttr(e, "fov", 90.0f),
                                             xml::floatAttr(e, "coneangle", 45.0f),
                                             xml::floatAttr(e, "edgeangle", 40.0f),
                                             xml::floatAttr(e, "aspect", 1.0f));
    } else {
        fail(e, "unknown element");
        return nullptr;
    }
    if (!readLightAttributes(e, *light))
        return nullptr;
    return light;
}

bool SceneLoaderXML::readLightAttributes(const XMLElement* e, Light& light) {
    light.intensity = xml::floatAttr(e, "intensity", 1.0f);
    light.shadowIntensity = xml::floatAttr(e, "shadowintensity", 1.0f);
    if (const XMLElement* intensity = e->FirstChildElement("intensity")) {
        const XMLElement* envelopeElement = intensity->FirstChildElement("envelope");
        if (!envelopeElement)
            return fail(intensity, "needs an envelope");
        Ref<Envelope> envelope;
        Envelope::readElement(envelopeElement, envelope);
        light.addController(makeRef<LightIntensityController>(envelope));
    }
    return true;
}

Ref<Node> SceneLoaderXML::createVao(const XMLElement* e) {
    const char* meshName = xml::text(e, "mesh");
    if (!meshName) {
        fail(e, "missing attribute \"mesh\"");
        return nullptr;
    }
    Ref<Mesh> mesh = meshRegistry().find(meshName);
    if (!mesh) {
        fail(e, "no model named \"%s\" is registered", meshName);
        return nullptr;
    }
    if (!mesh->vertexBuffer()) {
        fail(e, "model \"%s\" has no vertices", meshName);
        return nullptr;
    }
    currentMesh_ = mesh;
    vaoProgram_ = currentProgram_;
    if (!vaoProgram_) {
        fail(e, "no program (from an enclosing material) to bind the vertex array against");
        return nullptr;
    }
    Ref<VertexArrayObject> vertexArray =
        VertexArrayObject::create(*vaoProgram_, *mesh->vertexBuffer(), mesh->indexBuffer().get());
    if (!vertexArray) {
        fail(e, "cannot build a vertex array for model \"%s\"", meshName);
        return nullptr;
    }
    vertexArray->setReference(mesh);
    return makeRef<VAOModel>(vertexArray);
}

Ref<Node> SceneLoaderXML::createSubModel(const XMLElement* e, bool array) {
    if (!currentMesh_) {
        fail(e, "no vao before it names the mesh");
        return nullptr;
    }
    int bin = 0;
    if (!e->Attribute("indexbin") || !xml::queryInt(e, "indexbin", bin)) {
        fail(e, "missing attribute \"indexbin\"");
        return nullptr;
    }
    if (bin < 0 || size_t(bin) >= currentMesh_->binCount()) {
        fail(e, "index bin %d is not below the mesh's %zu bins", bin, currentMesh_->binCount());
        return nullptr;
    }
    const int instances = xml::intAttr(e, "instances", 1);
    if (instances < 1) {
        fail(e, "\"instances\" must be at least 1");
        return nullptr;
    }
    const IndexBin& indexBin = currentMesh_->bins()[size_t(bin)];
    Ref<Drawable> drawable;
    bool useBox = currentMesh_->hasBinBounds() && size_t(bin) < currentMesh_->bounds().size();
    if (array) {
        drawable = makeRef<ArrayModel>(indexBin, instances);
    } else {
        const int patchSize = xml::intAttr(e, "patchsize", 0);
        if (patchSize < 0) {
            fail(e, "\"patchsize\" must not be negative");
            return nullptr;
        }
        drawable = makeRef<SubModel>(indexBin, instances, patchSize);
        useBox = useBox && e->Attribute("cullable");
    }
    if (useBox) {
        drawable->setBoundingBox(currentMesh_->bounds()[size_t(bin)]);
        drawable->alwaysVisible = false;
    }
    return drawable;
}

Ref<Node> SceneLoaderXML::createSkeleton(const XMLElement* e) {
    if (currentSkeleton_ && !finishSkeleton(skeletonElement_))
        return nullptr;
    currentSkeleton_ = makeRef<Skeleton>(currentMesh_);
    skeletonElement_ = e;
    return currentSkeleton_;
}

Ref<Node> SceneLoaderXML::createBone(const XMLElement* e, Node* parent) {
    if (!currentSkeleton_ || !parent->isDescendantOf(currentSkeleton_.get())) {
        fail(e, "a bone outside a skeleton");
        return nullptr;
    }
    const char* name = xml::text(e, "name");
    if (!name) {
        fail(e, "missing attribute \"name\"");
        return nullptr;
    }
    const XMLElement* position = e->FirstChildElement("restposition");
    const XMLElement* orientation = e->FirstChildElement("restorientation");
    if (!position || !orientation) {
        fail(e, "a bone needs both restposition and restorientation");
        return nullptr;
    }
    if (currentSkeleton_->boneCount() >= Skeleton::kMaxBones) {
        fail(e, "more than %d bones in one skeleton", Skeleton::kMaxBones);
        return nullptr;
    }
    Ref<SkeletonBone> bone = makeRef<SkeletonBone>();
    bone->restPosition = Vec3(xml::floatAttr(position, "x", 0), xml::floatAttr(position, "y", 0),
                              xml::floatAttr(position, "z", 0));
    bone->restOrientation = Vec3(xml::floatAttr(orientation, "h", 0), xml::floatAttr(orientation, "p", 0),
                                 xml::floatAttr(orientation, "b", 0));
    currentSkeleton_->attachBone(bone.get());
    return bone;
}

namespace {

Ref<Envelope> envelopeIn(const XMLElement* e, const char* child) {
    const XMLElement* c = e ? e->FirstChildElement(child) : nullptr;
    const XMLElement* envelope = c ? c->FirstChildElement("envelope") : nullptr;
    Ref<Envelope> out;
    if (envelope)
        Envelope::readElement(envelope, out);
    return out;
}

float wrapAttr(const XMLElement* e, const char* name) {
    const float v = xml::floatAttr(e, name, 1.0f);
    return v <= 1e-4f ? 1e-4f : v;
}

} // namespace

// Generates the mesh and registers it under "meshname" unless a model of that name exists. It
// creates no node and the load goes on.
bool SceneLoaderXML::readShapeExtrude(const XMLElement* e) {
    const char* meshName = xml::text(e, "meshname");
    if (!meshName)
        return fail(e, "missing attribute \"meshname\"");
    Ref<ShapeExtrude> generator = makeRef<ShapeExtrude>();
    generator->segments = xml::intAttr(e, "segments", 9);
    if (generator->segments < 1)
        return fail(e, "\"segments\" must be at least 1");
    generator->wrapU = wrapAttr(e, "wrap.u");
    generator->wrapV = wrapAttr(e, "wrap.v");
    generator->capWrapU = wrapAttr(e, "capwrap.u");
    generator->capWrapV = wrapAttr(e, "capwrap.v");
    const bool oriented = e->Attribute("oriented") != nullptr;
    for (const XMLElement* x = e->FirstChildElement("extrude"); x; x = x->NextSiblingElement("extrude")) {
        float start = 0, stop = 0, radius = 0;
        if (!xml::queryFloat(x, "start", start) || !xml::queryFloat(x, "stop", stop) ||
            !xml::queryFloat(x, "radius", radius))
            return fail(x, "needs \"start\", \"stop\" and \"radius\"");
        const XMLElement* shape = x->FirstChildElement("shape");
        if (!shape)
            return fail(x, "missing child \"shape\"");
        generator->beginShape();
        for (const XMLElement* p = shape->FirstChildElement("point"); p; p = p->NextSiblingElement("point")) {
            float v[4];
            const char* names[4] = {"x", "y", "nx", "ny"};
            for (int i = 0; i < 4; ++i)
                if (!xml::queryFloat(p, names[i], v[i]))
                    return fail(p, "missing attribute \"%s\"", names[i]);
            generator->addPoint(v[0], v[1], v[2], v[3]);
        }
        const XMLElement* position = x->FirstChildElement("position");
        const XMLElement* rotation = x->FirstChildElement("rotation");
        Ref<Envelope> px = envelopeIn(position, "x"), py = envelopeIn(position, "y"),
                      pz = envelopeIn(position, "z");
        if (!px || !py || !pz)
            return fail(x, "\"position\" needs \"x\", \"y\" and \"z\" envelopes");
        Ref<Envelope> h, p, b;
        if (oriented) {
            h = envelopeIn(rotation, "h");
            p = envelopeIn(rotation, "p");
            b = envelopeIn(rotation, "b");
            if (!h || !p || !b)
                return fail(x, "\"rotation\" needs \"h\", \"p\" and \"b\" envelopes");
        }
        // The radius along the path: an envelope in an optional "radius" child, else 1, scaled by
        // the "radius" attribute either way (without one every ring would collapse to a point).
        Ref<Envelope> radiusEnvelope = envelopeIn(x, "radius");
        if (!radiusEnvelope) {
            radiusEnvelope = makeRef<Envelope>();
            EnvelopeKey one;
            one.value = 1.0f;
            radiusEnvelope->insertKey(one);
        }
        generator->addExtrusion(
            std::make_unique<EnvelopeShapeFunctor>(px, py, pz, h, p, b, radiusEnvelope, radius), start, stop);
    }
    if (generator->extrusionCount() == 0)
        return fail(e, "needs at least one extrude child");
    Ref<Mesh> mesh = generator->generate(e->Attribute("singleIndexBin") != nullptr,
                                         e->Attribute("dynamic") != nullptr, oriented);
    if (!mesh)
        return fail(e, "every extrusion needs two rings (length × segments ≥ 2) and two shape points");
    meshRegistry().insert(meshName, mesh);
    return true;
}
