// A scene file with one of every element, and the tree it must become.
#include "SceneFileTestSupport.h"

#include "assets/Mesh.h"
#include "atmosphere/AtmosphericalLight.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "particles/GravityForceParticleOperator.h"
#include "particles/RadialForceParticleOperator.h"
#include "particles/RainParticleEmitter.h"
#include "particles/ReflectionPlaneParticleOperator.h"
#include "particles/ReflectionSphereParticleOperator.h"
#include "particles/SmokeParticleEmitter.h"
#include "particles/SphereParticleEmitter.h"
#include "scene/AmbientLight.h"
#include "scene/AreaLight.h"
#include "scene/ArrayModel.h"
#include "scene/Camera.h"
#include "scene/CameraController.h"
#include "scene/CubeLight.h"
#include "scene/DirectionalLight.h"
#include "scene/DrawableParticleSystem.h"
#include "scene/EnableController.h"
#include "scene/FollowController.h"
#include "scene/Group.h"
#include "scene/LightIntensityController.h"
#include "scene/LinearLight.h"
#include "scene/Material.h"
#include "scene/PointLight.h"
#include "scene/PositionController.h"
#include "scene/PositionRotationScaleController.h"
#include "scene/ProjectiveLight.h"
#include "scene/RotationController.h"
#include "scene/Skeleton.h"
#include "scene/SpotLight.h"
#include "scene/SubModel.h"
#include "scene/VAOModel.h"

#include <cmath>
#include <fstream>

namespace {

const char* const kConstant = R"(<envelope><key value="1" time="0"/></envelope>)";

std::string env(float value) {
    return "<envelope><key value=\"" + std::to_string(value) + "\" time=\"0\"/></envelope>";
}

std::string everyElement() {
    const std::string e = kConstant;
    return R"(
<shadowcasters><shadowmask name="sun" value="1"/><shadowmask name="lamp" value="4"/></shadowcasters>
<group name="world" shadowcastermask="sun lamp">
  <transform><position><x>)" +
           e + "</x><y>" + e + "</y><z>" + e + R"(</z></position>
    <rotation h="1" p="0" b="0"/></transform>
  <camera name="eye" fov="60">
    <transform><position><x>)" +
           e + "</x><y>" + e + "</y><z>" + e + R"(</z></position>
      <rotation><h>)" +
           env(3.1415927f) + "</h><p>" + e + "</p><b>" + e + R"(</b></rotation></transform>
  </camera>
  <enable>)" +
           e + R"(</enable>
</group>
<ambientlight name="ambient"/>
<directionallight name="sun"><intensity>)" +
           e + R"(</intensity></directionallight>
<pointlight name="point"/>
<spotlight name="spot"/>
<arealight name="area"/>
<cubelight name="cube" texture="sky"/>
<projectivelight name="projector" texture="checker"/>
<linearlight name="line"/>
<atmoslight name="sky"><atmosphere><latitude value="50"/><timeofday value="12"/></atmosphere></atmoslight>
<material name="look">
  <program name="scene"/>
  <samplerset><sampler name="surface" texture="checker"/></samplerset>
  <uniforms><uniform name="tint" values="production.tint"/></uniforms>
  <drawstate><blend/></drawstate>
  <vao name="geometry" mesh="box">
    <submodel name="part" indexbin="1" cullable="yes"/>
    <arraymodel name="strip" indexbin="0"/>
    <skeleton name="rig">
      <bone name="root"><restposition x="0" y="1" z="0"/><restorientation h="0" p="0" b="0"/>
        <bone name="arm"><restposition x="1" y="0" z="0"/><restorientation h="0" p="0" b="0"/></bone>
      </bone>
    </skeleton>
  </vao>
  <particlesystem name="sparks" maxparticles="16">
    <sphereemitter name="ball"><particleprops><spawnrate value="4"/><lifespan/><mass/><speed/><radius/><energy/></particleprops>
      <spawnrate>)" +
           e + R"(</spawnrate></sphereemitter>
    <rainemitter name="rain"><particleprops><spawnrate/><lifespan/><mass/><speed/><radius/><energy/></particleprops></rainemitter>
    <smokeemitter name="smoke"><particleprops><spawnrate/><lifespan/><mass/><speed/><radius/><energy/></particleprops></smokeemitter>
    <gravity name="g"/><radialforce name="r"/><reflectionplane name="p"/><reflectionsphere name="s"/>
  </particlesystem>
</material>
<shapeextrude meshname="tube">
  <extrude start="0" stop="1" radius="0.5">
    <shape><point x="-1" y="0" nx="-1" ny="0"/><point x="1" y="0" nx="1" ny="0"/></shape>
    <position><x>)" +
           e + "</x><y>" + e + "</y><z>" +
           R"(<envelope><key value="0" time="0" type="3"/><key value="1" time="1" type="3"/></envelope></z></position>
  </extrude>
</shapeextrude>
<group name="tail"><transform><follow name="eye"/></transform></group>
)";
}

template <class T> T* as(Node* n) {
    return dynamic_cast<T*>(n);
}

} // namespace

TEST_F(SceneFileTest, OneOfEveryElementBecomesTheTreeInDocumentOrder) {
    Ref<Scene> scene = load(everyElement());
    ASSERT_TRUE(scene);
    std::vector<Node*> nodes = preOrder(*scene);
    struct Expected {
        const char* name;
        const char* parent;
        bool (*isClass)(Node*);
    };
#define CLASS(T) [](Node* n) { return as<T>(n) != nullptr; }
    const Expected expected[] = {
        {"world", "", CLASS(Group)},
        {"eye", "world", CLASS(Camera)},
        {"ambient", "", CLASS(AmbientLight)},
        {"sun", "", CLASS(DirectionalLight)},
        {"point", "", CLASS(PointLight)},
        {"spot", "", CLASS(SpotLight)},
        {"area", "", CLASS(AreaLight)},
        {"cube", "", CLASS(CubeLight)},
        {"projector", "", CLASS(ProjectiveLight)},
        {"line", "", CLASS(LinearLight)},
        {"sky", "", CLASS(AtmosphericalLight)},
        {"look", "", CLASS(Material)},
        {"geometry", "look", CLASS(VAOModel)},
        {"part", "geometry", CLASS(SubModel)},
        {"strip", "geometry", CLASS(ArrayModel)},
        {"rig", "geometry", CLASS(Skeleton)},
        {"root", "rig", CLASS(SkeletonBone)},
        {"arm", "root", CLASS(SkeletonBone)},
        {"sparks", "look", CLASS(DrawableParticleSystem)},
        {"ball", "sparks", CLASS(SphereParticleEmitter)},
        {"rain", "sparks", CLASS(RainParticleEmitter)},
        {"smoke", "sparks", CLASS(SmokeParticleEmitter)},
        {"g", "sparks", CLASS(GravityForceParticleOperator)},
        {"r", "sparks", CLASS(RadialForceParticleOperator)},
        {"p", "sparks", CLASS(ReflectionPlaneParticleOperator)},
        {"s", "sparks", CLASS(ReflectionSphereParticleOperator)},
        {"tail", "", CLASS(Group)},
    };
#undef CLASS
    ASSERT_EQ(nodes.size(), std::size(expected) + 1) << "the root and one node per node element";
    EXPECT_TRUE(as<Group>(nodes[0]));
    EXPECT_EQ(nodes[0]->shadowCasterMask, 0xFFFFFFFFu);
    for (size_t i = 0; i < std::size(expected); ++i) {
        Node* n = nodes[i + 1];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(n->name, expected[i].name);
        EXPECT_TRUE(expected[i].isClass(n));
        EXPECT_EQ(n->parent() == scene->root() ? std::string() : n->parent()->name, expected[i].parent);
    }

    Node* world = scene->findByName("world");
    EXPECT_EQ(world->shadowCasterMask, 5u);
    EXPECT_TRUE(hasController<PositionController>(*world)) << "animated position, plain rotation";
    EXPECT_FALSE(hasController<RotationController>(*world));
    EXPECT_TRUE(hasController<EnableController>(*world));
    EXPECT_FLOAT_EQ(world->transform.rotation.x, -1.0f) << "plain rotations are negated";
    Node* eye = scene->findByName("eye");
    ASSERT_EQ(eye->controllers().size(), 1u);
    EXPECT_TRUE(hasController<CameraController>(*eye));
    EXPECT_TRUE(hasController<LightIntensityController>(*scene->findByName("sun")));
    EXPECT_TRUE(hasController<FollowController>(*scene->findByName("tail")));
    EXPECT_EQ(scene->findByName("tail")->transform.flags, 0x70u);

    auto* part = as<SubModel>(scene->findByName("part"));
    EXPECT_FALSE(part->alwaysVisible) << "cullable with per-bin boxes";
    EXPECT_FLOAT_EQ(part->boundingBox.center.x, 1.0f) << "bin 1's box";
    EXPECT_FALSE(as<ArrayModel>(scene->findByName("strip"))->alwaysVisible)
        << "array models always use boxes";
    auto* rig = as<Skeleton>(scene->findByName("rig"));
    ASSERT_EQ(rig->boneCount(), 2);
    EXPECT_EQ(rig->meshIndex(), (std::vector<int32_t>{0, 1})) << "finished at the end of the file";
    auto* look = as<Material>(scene->findByName("look"));
    EXPECT_EQ(look->flags() & (Material::HasProgram | Material::HasSamplerSet | Material::HasUniforms |
                               Material::HasBlend | Material::HasDepthStencil | Material::HasRasterizer),
              uint32_t(Material::HasProgram | Material::HasSamplerSet | Material::HasUniforms |
                       Material::HasBlend));
    EXPECT_EQ(look->samplerSet()->bindings().size(), 1u);
    EXPECT_TRUE(look->uniforms()->states().empty()) << "a values text nobody provides is skipped";
    auto* ball = as<SphereParticleEmitter>(scene->findByName("ball"));
    EXPECT_FLOAT_EQ(ball->props.spawnRate, 4.0f);
    EXPECT_TRUE(ball->spawnRateEnvelope);
    EXPECT_EQ(ball->system.get(),
              as<DrawableParticleSystem>(scene->findByName("sparks"))->particleSystem().get());

    Ref<Mesh> tube = meshRegistry().find("tube");
    ASSERT_TRUE(tube) << "shapeextrude registers its mesh and creates no node";
    EXPECT_EQ(tube->vertexCount(), 9u * 2 + 2 * 2 + 2);
}

TEST_F(SceneFileTest, ProgressElementsShareTheFileStepOutsideEnvelopes) {
    Ref<LoadingScreen> screen = makeRef<LoadingScreen>();
    screen->setStep(0.4f);
    std::ofstream(path()) << R"(<scene>
      <camera><transform><position><x><envelope><camera/></envelope></x><y>)"
                          << kConstant << "</y><z>" << kConstant << R"(</z></position></transform></camera>
      <material><program name="scene"/><vao mesh="plain"><submodel indexbin="0"/></vao></material>
      <group><camera/></group></scene>)";
    Ref<Scene> scene = loader->load(path(), screen);
    ASSERT_TRUE(scene);
    scenes.push_back(scene);
    EXPECT_NEAR(screen->progress, 0.4f, 1e-6f)
        << "four elements (camera, material, submodel, camera), 0.1 each";
    EXPECT_FLOAT_EQ(screen->getStep(), 0.4f) << "the share is put back";
}

TEST_F(SceneFileTest, FollowerDeclaredBeforeItsTargetResolves) {
    Ref<Scene> scene = load(R"(<group name="a"><transform><follow name="b"/></transform></group>
                               <group name="b"><transform><position x="1" y="2" z="3"/></transform></group>)");
    ASSERT_TRUE(scene);
    scene->update(0);
    EXPECT_FLOAT_EQ(scene->findByName("a")->transform.worldPosition.y, 2.0f);
}

TEST_F(SceneFileTest, DisabledWinsOverEnabled) {
    Ref<Scene> scene = load(R"(<group name="a" enabled="1" disabled="0"/><group name="b" enabled="no"/>)");
    ASSERT_TRUE(scene);
    EXPECT_FALSE(scene->findByName("a")->enabled) << "presence counts, not the value";
    EXPECT_TRUE(scene->findByName("b")->enabled);
}

TEST_F(SceneFileTest, CameraKeepsStaticValuesForComponentsNotAnimated) {
    Ref<Scene> scene = load(R"(<camera name="c"><transform><position x="1" y="2" z="3"/>
        <rotation><h>)" + env(3.1415927f) +
                            R"(</h><p>)" + env(0.25f) + R"(</p><b>)" + env(0.5f) +
                            R"(</b></rotation></transform></camera>)");
    ASSERT_TRUE(scene);
    scene->update(0);
    const NodeTransform& t = scene->findByName("c")->transform;
    EXPECT_EQ(t.position, Vec3(1, 2, 3)) << "the static position stays";
    EXPECT_NEAR(t.rotation.x, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(t.rotation.y, 0.25f);
    EXPECT_FLOAT_EQ(t.rotation.z, 0.5f);
}

TEST_F(SceneFileTest, TransformChoosesCombinedControllers) {
    const std::string e = kConstant;
    const std::string all = "<position><x>" + e + "</x><y>" + e + "</y><z>" + e +
                            "</z></position><rotation><h>" + e + "</h><p>" + e + "</p><b>" + e +
                            "</b></rotation><scale><x>" + e + "</x><y>" + e + "</y><z>" + e + "</z></scale>";
    Ref<Scene> scene = load("<group name=\"g\"><transform>" + all + "</transform></group>");
    ASSERT_TRUE(scene);
    Node* g = scene->findByName("g");
    ASSERT_EQ(g->controllers().size(), 1u);
    EXPECT_TRUE(hasController<PositionRotationScaleController>(*g));
    scene->update(0);
    EXPECT_FLOAT_EQ(g->transform.rotation.x, -1.0f) << "an envelope of constant 1 gives heading -1 too";
}

TEST_F(SceneFileTest, MaterialUniformsBindTheAtmosphereBlockAndTheBonePalette) {
    Ref<Scene> scene = load(
        R"(<atmoslight name="sky" intensity="2"><atmosphere><turbidity value="3"/></atmosphere></atmoslight>
        <material name="sky-look"><program name="deferred/atmoslight"/>
          <uniforms><uniform name="AtmosphereModel" values="atmosphere.uniforms"/></uniforms></material>
        <material name="skin"><program name="scene"/><vao mesh="box"><skeleton name="rig">
          <bone name="root"><restposition x="0" y="0" z="0"/><restorientation h="0" p="0" b="0"/></bone>
          <bone name="arm"><restposition x="0" y="0" z="0"/><restorientation h="0" p="0" b="0"/></bone>
          <material name="palette"><uniforms><uniform name="bones" values="skeleton.boneMatrix"/></uniforms></material>
        </skeleton></vao></material>)");
    ASSERT_TRUE(scene);
    auto* sky = as<AtmosphericalLight>(scene->findByName("sky"));
    EXPECT_EQ(sky->model->sunIntensity, 2.0f) << "the model takes the light's intensity";
    EXPECT_EQ(as<Material>(scene->findByName("sky-look"))->uniforms()->states().size(), 1u);
    EXPECT_EQ(as<Material>(scene->findByName("palette"))->uniforms()->states().size(), 1u)
        << "resolved against the enclosing material's program";
}
