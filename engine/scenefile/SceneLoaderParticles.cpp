// Particle systems, their emitters and operators, and the atmospherical light.
#include "scenefile/SceneLoaderXML.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "core/XmlAttributes.h"
#include "demo/Registries.h"
#include "particles/GravityForceParticleOperator.h"
#include "particles/ParticleSystem.h"
#include "particles/RadialForceParticleOperator.h"
#include "particles/RainParticleEmitter.h"
#include "particles/ReflectionPlaneParticleOperator.h"
#include "particles/ReflectionSphereParticleOperator.h"
#include "particles/SmokeParticleEmitter.h"
#include "particles/SphereParticleEmitter.h"
#include "render/Program.h"
#include "render/VertexArrayObject.h"
#include "scene/DrawableParticleSystem.h"

#include <tinyxml2.h>

#include <cstring>

using tinyxml2::XMLElement;

namespace {

// Particle records are 48 bytes: a scene file may ask for at most this many (48 MiB).
constexpr int kMaxParticles = 1 << 20;

bool is(const char* name, const char* what) {
    return std::strcmp(name, what) == 0;
}

} // namespace

void SceneLoaderXML::resetParticleState() {
    currentParticleSystem_ = nullptr;
}

bool SceneLoaderXML::readEffectElement(const XMLElement* e, Node* parent, bool& known) {
    const char* name = e->Name();
    Ref<Node> node;
    known = true;
    if (is(name, "particlesystem"))
        node = createParticleSystem(e);
    else if (is(name, "sphereemitter") || is(name, "rainemitter") || is(name, "smokeemitter"))
        node = createEmitter(e);
    else if (is(name, "gravity") || is(name, "radialforce") || is(name, "reflectionplane") ||
             is(name, "reflectionsphere"))
        node = createOperator(e);
    else if (is(name, "atmoslight"))
        node = createAtmosphericalLight(e);
    else
        known = false;
    return known && attachNode(e, parent, node);
}

Ref<Node> SceneLoaderXML::createParticleSystem(const XMLElement* e) {
    const int count = xml::intAttr(e, "maxparticles", 2048);
    if (count < 0 || count > kMaxParticles) {
        fail(e, "\"maxparticles\" must be from 0 to %d", kMaxParticles);
        return nullptr;
    }
    if (!currentProgram_) {
        fail(e, "no program (from an enclosing material) to bind the particles against");
        return nullptr;
    }
    Ref<ParticleSystem> system = makeRef<ParticleSystem>();
    if (!system->create(count, xml::boolAttr(e, "dynamic", true)) || !system->vertexBuffer()) {
        fail(e, "cannot create %d particles", count);
        return nullptr;
    }
    Ref<VertexArrayObject> vertexArray =
        VertexArrayObject::create(*currentProgram_, *system->vertexBuffer(), nullptr);
    if (!vertexArray) {
        fail(e, "cannot build the particles' vertex array");
        return nullptr;
    }
    currentParticleSystem_ = system;
    return makeRef<DrawableParticleSystem>(system, vertexArray);
}

bool SceneLoaderXML::readParticleProps(const XMLElement* e, ParticleProps& props) {
    const XMLElement* p = e->FirstChildElement("particleprops");
    if (!p)
        return fail(e, "missing child \"particleprops\"");
    struct Field {
        const char* name;
        float* value;
        float* variance;
        float fallback;
    };
    const Field fields[] = {{"spawnrate", &props.spawnRate, &props.spawnRateVariance, 1.0f},
                            {"lifespan", &props.lifespan, &props.lifespanVariance, 1.0f},
                            {"mass", &props.mass, &props.massVariance, 1.0f},
                            {"speed", &props.speed, &props.speedVariance, 0.0f},
                            {"radius", &props.radius, &props.radiusVariance, 1.0f},
                            {"energy", &props.energy, &props.energyVariance, 1.0f}};
    for (const Field& f : fields) {
        const XMLElement* c = p->FirstChildElement(f.name);
        if (!c)
            return fail(p, "missing child \"%s\"", f.name);
        *f.value = xml::floatAttr(c, "value", f.fallback);
        *f.variance = xml::floatAttr(c, "variance", 0.0f);
    }
    return true;
}

Ref<Node> SceneLoaderXML::createEmitter(const XMLElement* e) {
    if (!currentParticleSystem_) {
        fail(e, "no particlesystem before it");
        return nullptr;
    }
    ParticleProps props;
    if (!readParticleProps(e, props))
        return nullptr;
    Ref<ParticleEmitter> emitter;
    const char* name = e->Name();
    if (is(name, "sphereemitter")) {
        emitter =
            makeRef<SphereParticleEmitter>(currentParticleSystem_, props, xml::floatAttr(e, "radius", 1.0f),
                                           xml::floatAttr(e, "radiusvariance", 0.0f));
    } else if (is(name, "rainemitter")) {
        const Vec3 boxMin(xml::floatAttr(e, "min.x", -1.0f), xml::floatAttr(e, "min.y", -1.0f),
                          xml::floatAttr(e, "min.z", -1.0f));
        const Vec3 boxMax(xml::floatAttr(e, "max.x", 1.0f), xml::floatAttr(e, "max.y", 1.0f),
                          xml::floatAttr(e, "max.z", 1.0f));
        emitter = makeRef<RainParticleEmitter>(currentParticleSystem_, props, boxMin, boxMax);
    } else {
        emitter = makeRef<SmokeParticleEmitter>(
            currentParticleSystem_, props, xml::floatAttr(e, "radiusscale", 1.0f),
            xml::floatAttr(e, "radiusscalevariance", 0.0f), xml::floatAttr(e, "maxradius", 1.0f));
    }
    if (const XMLElement* spawnRate = e->FirstChildElement("spawnrate")) {
        const XMLElement* envelope = spawnRate->FirstChildElement("envelope");
        if (!envelope) {
            fail(spawnRate, "needs an envelope");
            return nullptr;
        }
        Envelope::readElement(envelope, emitter->spawnRateEnvelope);
    }
    return emitter;
}

Ref<Node> SceneLoaderXML::createOperator(const XMLElement* e) {
    if (!currentParticleSystem_) {
        fail(e, "no particlesystem before it");
        return nullptr;
    }
    const char* name = e->Name();
    const float strength = xml::floatAttr(e, "strength", 1.0f);
    const float radius = xml::floatAttr(e, "radius", 1.0f);
    if (is(name, "gravity"))
        return makeRef<GravityForceParticleOperator>(currentParticleSystem_, strength);
    if (is(name, "radialforce"))
        return makeRef<RadialForceParticleOperator>(currentParticleSystem_, radius, strength);
    if (is(name, "reflectionplane"))
        return makeRef<ReflectionPlaneParticleOperator>(currentParticleSystem_, strength);
    return makeRef<ReflectionSphereParticleOperator>(currentParticleSystem_, radius, strength);
}

Ref<Node> SceneLoaderXML::createAtmosphericalLight(const XMLElement* e) {
    if (atmosphereRead_) {
        fail(e, "a second atmoslight");
        return nullptr;
    }
    atmosphereRead_ = true;
    Ref<Program> program = programRegistry().find("deferred/atmoslight");
    if (!program) {
        fail(e, "no program \"deferred/atmoslight\" is registered");
        return nullptr;
    }
    const XMLElement* atmosphere = e->FirstChildElement("atmosphere");
    if (!atmosphere) {
        fail(e, "missing child \"atmosphere\"");
        return nullptr;
    }
    Ref<AtmosphereModel> model = makeRef<AtmosphereModel>();
    if (!model->configureFromElement(atmosphere, file_.c_str()))
        return nullptr;
    const Vec3 colour(xml::floatAttr(e, "color.r", 1.0f), xml::floatAttr(e, "color.g", 1.0f),
                      xml::floatAttr(e, "color.b", 1.0f));
    Ref<AtmosphericalLight> light = makeRef<AtmosphericalLight>(colour);
    if (!light->attach(*program, model)) {
        fail(e, "program \"deferred/atmoslight\" has no uniform block \"AtmosphereModel\"");
        return nullptr;
    }
    atmosphereUniforms_ = light->uniformBuffer;
    if (!readLightAttributes(e, *light))
        return nullptr;
    model->sunIntensity = light->intensity;
    return light;
}
