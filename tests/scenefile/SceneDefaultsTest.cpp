// Attribute defaults, unreadable numbers, and the loads that must fail with one diagnostic line.
#include "SceneFileTestSupport.h"

#include "particles/RadialForceParticleOperator.h"
#include "particles/RainParticleEmitter.h"
#include "particles/ReflectionSphereParticleOperator.h"
#include "particles/SmokeParticleEmitter.h"
#include "particles/SphereParticleEmitter.h"
#include "scene/Camera.h"
#include "scene/DrawableParticleSystem.h"
#include "scene/Group.h"
#include "scene/LinearLight.h"
#include "scene/PointLight.h"
#include "scene/ProjectiveLight.h"
#include "scene/SpotLight.h"
#include "scene/SubModel.h"
#include "scenefile/SceneLoaderHandler.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstring>

namespace {

const std::string kProps =
    "<particleprops><spawnrate/><lifespan/><mass/><speed/><radius/><energy/></particleprops>";

template <class T> T* find(Scene& scene, const char* name) {
    return dynamic_cast<T*>(scene.findByName(name));
}

} // namespace

TEST_F(SceneFileTest, AbsentAttributesTakeTheTablesDefaults) {
    Ref<Scene> scene = load(R"(<camera name="c"/><pointlight name="pl"/><spotlight name="sl"/>
        <projectivelight name="pj" texture="checker"/><linearlight name="ll"/>
        <material><program name="scene"/><vao mesh="plain"><submodel name="sm" indexbin="0"/></vao>
          <particlesystem name="ps">
            <sphereemitter name="se">)" +
                            kProps + R"(</sphereemitter>
            <rainemitter name="re">)" +
                            kProps + R"(</rainemitter>
            <smokeemitter name="ke">)" +
                            kProps + R"(</smokeemitter>
            <radialforce name="rf"/><reflectionsphere name="rs"/>
          </particlesystem></material>)");
    ASSERT_TRUE(scene);
    auto* c = find<Camera>(*scene, "c");
    EXPECT_EQ(c->fov, 45.0f);
    EXPECT_EQ(c->nearZ, 1.0f);
    EXPECT_EQ(c->farZ, 1024.0f);
    auto* pl = find<PointLight>(*scene, "pl");
    EXPECT_EQ(pl->colour, Vec3(1, 1, 1));
    EXPECT_EQ(pl->intensity, 1.0f);
    EXPECT_EQ(pl->shadowIntensity, 1.0f);
    EXPECT_EQ(pl->radius, 1.0f);
    EXPECT_EQ(pl->particleRadius, 0.0f);
    auto* sl = find<SpotLight>(*scene, "sl");
    EXPECT_FLOAT_EQ(sl->cosCone, std::cos(45.0f)) << "the cosine of the value as given";
    EXPECT_FLOAT_EQ(sl->cosEdge, std::cos(5.0f));
    auto* pj = find<ProjectiveLight>(*scene, "pj");
    EXPECT_EQ(pj->fov, 90.0f);
    EXPECT_EQ(pj->aspect, 1.0f);
    EXPECT_EQ(pj->radius, 1.0f);
    EXPECT_EQ(find<LinearLight>(*scene, "ll")->width, 1.0f);
    auto* sm = find<SubModel>(*scene, "sm");
    EXPECT_EQ(sm->instances(), 1);
    EXPECT_EQ(sm->patchSize(), 0);
    EXPECT_TRUE(sm->alwaysVisible) << "not cullable, and the mesh has no boxes";
    auto* ps = find<DrawableParticleSystem>(*scene, "ps");
    EXPECT_EQ(static_cast<const ParticleSystem*>(ps->particleSystem().get())->count(), 2048);
    EXPECT_TRUE(static_cast<const ParticleSystem*>(ps->particleSystem().get())->dynamic());
    auto* se = find<SphereParticleEmitter>(*scene, "se");
    EXPECT_EQ(se->sphereRadius, 1.0f);
    EXPECT_EQ(se->sphereRadiusVariance, 0.0f);
    const ParticleProps& p = se->props;
    EXPECT_EQ(std::vector<float>({p.spawnRate, p.lifespan, p.mass, p.speed, p.radius, p.energy}),
              std::vector<float>({1, 1, 1, 0, 1, 1}));
    EXPECT_EQ(p.spawnRateVariance + p.lifespanVariance + p.massVariance + p.speedVariance + p.radiusVariance +
                  p.energyVariance,
              0.0f);
    EXPECT_FALSE(se->spawnRateEnvelope);
    auto* re = find<RainParticleEmitter>(*scene, "re");
    EXPECT_EQ(re->boxMin, Vec3(-1, -1, -1));
    EXPECT_EQ(re->boxMax, Vec3(1, 1, 1));
    auto* ke = find<SmokeParticleEmitter>(*scene, "ke");
    EXPECT_EQ(ke->radiusGrowth, 1.0f);
    EXPECT_EQ(ke->radiusGrowthVariance, 0.0f);
    EXPECT_EQ(ke->maxRadius, 1.0f);
    auto* rf = find<RadialForceParticleOperator>(*scene, "rf");
    EXPECT_EQ(rf->strength, 1.0f);
    EXPECT_EQ(rf->radius, 1.0f);
    auto* rs = find<ReflectionSphereParticleOperator>(*scene, "rs");
    EXPECT_EQ(rs->strength, 1.0f);
    EXPECT_EQ(rs->radius, 1.0f);
}

TEST_F(SceneFileTest, UnreadableNumbersTakeTheDefault) {
    Ref<Scene> scene = load(R"(<camera name="c" fov="wide" nearZ="" farZ="2e"/>
        <pointlight name="pl" radius="big" color.g="green" intensity="0x"/>
        <group name="g"><transform><position x="one" y="2" z="-"/><scale x="half" y="2" z="3"/></transform></group>)");
    ASSERT_TRUE(scene);
    auto* c = find<Camera>(*scene, "c");
    EXPECT_EQ(c->fov, 45.0f);
    EXPECT_EQ(c->nearZ, 1.0f);
    EXPECT_EQ(c->farZ, 2.0f) << "the scanner reads the longest number: \"2e\" is 2";
    auto* pl = find<PointLight>(*scene, "pl");
    EXPECT_EQ(pl->radius, 1.0f);
    EXPECT_EQ(pl->colour.y, 1.0f);
    EXPECT_EQ(pl->intensity, 0.0f) << "\"0x\" scans as 0";
    const NodeTransform& t = scene->findByName("g")->transform;
    EXPECT_EQ(t.position, Vec3(0, 2, 0));
    EXPECT_EQ(t.scale, Vec3(1, 2, 3)) << "scale starts from 1";
}

TEST_F(SceneFileTest, LoadsThatFailSayWhereAndWhy) {
    const std::string env = "<envelope><key value=\"1\" time=\"0\"/></envelope>";
    const std::string bone =
        "<restposition x=\"0\" y=\"0\" z=\"0\"/><restorientation h=\"0\" p=\"0\" b=\"0\"/>";
    std::string manyBones;
    for (int i = 0; i < 65; ++i)
        manyBones += "<bone name=\"b" + std::to_string(i) + "\">" + bone + "</bone>";
    struct Case {
        const char* what;
        std::string body;
        bool whole;
        const char* said; // expected in the line after "file: "
    };
    const Case cases[] = {
        {"no scene element", "<world/>", true, "scene: no <scene> element"},
        {"malformed XML", "<scene><group></scene>", true, "line 1: malformed XML"},
        {"unknown element", "<group/>\n<teapot/>", false, "line 3: teapot: unknown element"},
        {"vao of an unregistered model",
         "<material><program name=\"scene\"/><vao mesh=\"nothing\"/></material>", false,
         "vao: no model named \"nothing\""},
        {"submodel before any vao", "<submodel indexbin=\"0\"/>", false, "submodel: no vao"},
        {"arraymodel before any vao", "<arraymodel indexbin=\"0\"/>", false, "arraymodel: no vao"},
        {"bone outside a skeleton", "<bone name=\"root\">" + bone + "</bone>", false, "bone: a bone outside"},
        {"bone with one rest child",
         "<material><program name=\"scene\"/><vao mesh=\"box\"><skeleton><bone name=\"root\"><restposition "
         "x=\"0\" "
         "y=\"0\" z=\"0\"/></bone></skeleton></vao></material>",
         false, "bone: a bone needs both"},
        {"more than 64 bones", "<skeleton>" + manyBones + "</skeleton>", false, "more than 64 bones"},
        {"particleprops lacking a child",
         "<material><program "
         "name=\"scene\"/><particlesystem><sphereemitter><particleprops><spawnrate/><lifespan/>"
         "<mass/><speed/><radius/></particleprops></sphereemitter></particlesystem></material>",
         false, "particleprops: missing child \"energy\""},
        {"emitter without particle system", "<sphereemitter>" + kProps + "</sphereemitter>", false,
         "sphereemitter: no particlesystem"},
        {"indexbin equal to the bin count",
         "<material><program name=\"scene\"/><vao mesh=\"box\"><submodel indexbin=\"2\"/></vao></material>",
         false, "submodel: index bin 2"},
        {"ambient ground brighter than what reaches it", "<ambientlight sky=\"yes\" ground.g=\"1.5\"/>",
         false, "ambientlight: \"ground\" colour values must lie in [0, 1]"},
        {"zero instances",
         "<material><program name=\"scene\"/><vao mesh=\"box\"><submodel indexbin=\"0\" "
         "instances=\"0\"/></vao></material>",
         false, "submodel: \"instances\""},
        {"mask before the table", "<group shadowcastermask=\"sun\"/>", false,
         "group: \"shadowcastermask\" before"},
        {"mask not in the table",
         "<shadowcasters><shadowmask name=\"sun\" value=\"1\"/></shadowcasters><group shadowcastermask=\"sun "
         "moon\"/>",
         false, "shadow mask \"moon\""},
        {"second shadowcasters table",
         "<shadowcasters><shadowmask name=\"a\" value=\"1\"/></shadowcasters><shadowcasters/>", false,
         "a second shadowcasters"},
        {"enable without envelope", "<group><enable/></group>", false, "enable: needs an envelope"},
        {"static position lacking z", "<group><transform><position x=\"1\" y=\"2\"/></transform></group>",
         false, "position: missing attribute \"z\""},
        {"animated rotation lacking b",
         "<group><transform><rotation><h>" + env + "</h><p>" + env + "</p></rotation></transform></group>",
         false, "rotation: \"b\" needs an envelope"},
        {"follow target missing", "<group><transform><follow name=\"nobody\"/></transform></group>", false,
         "follow: no node named \"nobody\""},
        {"light intensity without envelope", "<pointlight><intensity/></pointlight>", false,
         "intensity: needs an envelope"},
        {"cubelight without texture", "<cubelight/>", false, "cubelight: missing attribute \"texture\""},
        {"second atmoslight", "<atmoslight><atmosphere/></atmoslight><atmoslight><atmosphere/></atmoslight>",
         false, "atmoslight: a second atmoslight"},
        {"atmosphere block before any atmoslight",
         "<material><program name=\"scene\"/><uniforms><uniform name=\"b\" "
         "values=\"atmosphere.uniforms\"/></uniforms></material>",
         false, "uniform: \"atmosphere.uniforms\" before"},
        {"sampler without texture",
         "<material><program name=\"scene\"/><samplerset><sampler name=\"surface\"/></samplerset></material>",
         false, "sampler: a sampler needs"},
        {"skeleton that does not match its mesh",
         "<material><program name=\"scene\"/><vao mesh=\"box\"><skeleton><bone name=\"root\">" + bone +
             "</bone></skeleton></vao></material>",
         false, "the mesh has 2 bones, the skeleton 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string said = loadFails(c.body, c.whole);
        EXPECT_EQ(said.rfind(path() + ": ", 0), 0u) << said;
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
}

namespace {

// Accepts "marker" elements: a group added under the parent whose children are read.
class MarkerHandler : public SceneLoaderHandler {
public:
    void createNode(Ref<Node>& node, const tinyxml2::XMLElement* element, Node* parent, bool& readNode,
                    bool& handled) override {
        if (std::strcmp(element->Name(), "marker") != 0)
            return;
        node = makeRef<Group>();
        Node::addChild(parent, node.get());
        readNode = handled = true;
    }
    bool setUniform(UniformsBuilder&, const std::string&, const std::string& values) override {
        seen.push_back(values);
        return false;
    }
    std::vector<std::string> seen;
};

} // namespace

TEST_F(SceneFileTest, HandlerAddsElementsAndUniformSources) {
    Ref<MarkerHandler> handler = makeRef<MarkerHandler>();
    loader->setHandler(handler);
    Ref<Scene> scene = load(R"(<marker name="m" disabled=""><camera name="inside"/></marker>
        <material><program name="scene"/><uniforms><uniform name="tint" values="production.tint"/></uniforms></material>)");
    ASSERT_TRUE(scene);
    Node* m = scene->findByName("m");
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->enabled) << "common attributes apply";
    EXPECT_EQ(scene->findByName("inside")->parent(), m);
    EXPECT_EQ(handler->seen, std::vector<std::string>{"production.tint"});
    EXPECT_NE(loadFails("<teapot/>").find("teapot: unknown element"), std::string::npos) << "not handled";
}
