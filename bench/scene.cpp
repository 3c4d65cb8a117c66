// The scene graph's per-frame walks over a synthetic 10,000-node scene: 1,000 drawables under 100
// materials, 2,000 nodes animated by transform controllers from 8-key envelopes, a camera and
// lights. The walks are timed with GL replaced by the call recorder's counting stubs, so the time
// is the engine's own work; one more run draws the same scene through the real driver.
#include "RenderBenchContext.h"

#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "render/StateSet.h"
#include "render/UniformState.h"
#include "render/Uniforms.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"
#include "scene/AmbientLight.h"
#include "scene/Camera.h"
#include "scene/CameraController.h"
#include "scene/DirectionalLight.h"
#include "scene/Group.h"
#include "scene/LightIntensityController.h"
#include "scene/Material.h"
#include "scene/PointLight.h"
#include "scene/Scene.h"
#include "scene/SpotLight.h"
#include "scene/SubModel.h"
#include "scene/TransformAnimation.h"
#include "scene/VAOModel.h"
#include "support/AllocationCounter.h"
#include "support/GlCallRecorder.h"

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr int kRegions = 10;
constexpr int kMaterialsPerRegion = 10;
constexpr int kObjectsPerMaterial = 10;
constexpr int kPrograms = 10;
constexpr float kFrame = 1.0f / 60.0f;
// Keys every 8 beats: the frames walk through the keyed range and start over, as a part's
// animation spans the part.
constexpr float kKeySpacing = 8.0f, kKeyedSpan = 7 * kKeySpacing;
// GL calls an uncached device would send for every record applied: the whole record each time.
constexpr int kUncachedBlendCalls = 4, kUncachedDepthStencilCalls = 9, kUncachedRasterizerCalls = 10;

// The engine's random draw: a float in [−1, 1).
float draw(uint32_t& state) {
    state *= 16807u;
    const uint32_t bits = (state >> 9) | 0x40000000u;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value - 3.0f;
}

// Built the way the scene loader builds envelopes, from an `envelope` element, so the keys lie in
// one block as they do in a loaded scene.
Ref<Envelope> eightKeys(uint32_t& random, float base, float amplitude) {
    std::string text = "<envelope pre=\"1\" post=\"3\">";
    for (int i = 0; i < 8; ++i) {
        const int shape = (i % 3 == 0) ? ShapeTCB : (i % 3 == 1) ? ShapeHermite : ShapeLinear;
        text += "<key type=\"" + std::to_string(shape) + "\" time=\"" +
                std::to_string(float(i) * kKeySpacing) + "\" value=\"" +
                std::to_string(base + amplitude * draw(random)) + "\" t=\"" +
                std::to_string(0.2f * draw(random)) + "\" param0=\"0.5\" param1=\"0.5\"/>";
    }
    text += "</envelope>";
    // One document for every envelope, as a loader reads one file: its memory is reused from one
    // parse to the next instead of being left between the envelopes.
    static tinyxml2::XMLDocument document;
    Ref<Envelope> e;
    if (document.Parse(text.c_str()) != tinyxml2::XML_SUCCESS) {
        std::fprintf(stderr, "bench_scene: the benchmark envelope does not read\n");
        std::exit(1);
    }
    Envelope::readElement(document.FirstChildElement("envelope"), e);
    return e;
}

std::string vertexSource(int variant) {
    return "#version 430 core\n"
           "uniform mat4 ModelViewProjectionMatrix;\n"
           "uniform mat4 WorldMatrix;\n"
           "uniform mat3 NormalMatrix;\n"
           "in vec3 POSITION;\n"
           "in vec3 NORMAL;\n"
           "out vec3 normal;\n"
           "out vec3 worldPosition;\n"
           "void main() {\n"
           "    normal = NormalMatrix * NORMAL;\n"
           "    worldPosition = (WorldMatrix * vec4(POSITION, 1.0)).xyz * " +
           std::to_string(1 + variant) +
           ".0;\n"
           "    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);\n"
           "}\n";
}

const char* kFragment =
    "#version 430 core\n"
    "uniform vec3 tint;\n"
    "in vec3 normal;\n"
    "in vec3 worldPosition;\n"
    "out vec4 color;\n"
    "void main() { color = vec4(tint * max(normal.y, 0.2) + fract(worldPosition) * 0.01, 1.0); }\n";

// The synthetic scene with everything it draws from; built once, with the real driver.
struct BenchScene {
    Ref<Device> device;
    Ref<StateSet> stateSet;
    Ref<Scene> scene;
    Ref<Camera> camera;
    std::vector<Ref<Program>> programs;
    std::vector<Ref<VertexArrayObject>> arrays;
    Ref<VertexBuffer> vertices;
    Ref<IndexBuffer> indices;
    std::vector<float> tints;
    int blendMaterials = 0, depthStencilMaterials = 0, rasterizerMaterials = 0;
    int animatedNodes = 0, drawables = 0, materials = 0;

    BenchScene() {
        ensureBenchContext();
        device = makeRef<Device>();
        device->resetState();
        stateSet = makeRef<StateSet>(device);
        // Uniform states point into this storage, so it is sized once and never grows.
        tints.assign(size_t(kRegions * kMaterialsPerRegion) * 3, 1.0f);
        buildBox();
        for (int i = 0; i < kPrograms; ++i) {
            Ref<Program> program = makeRef<Program>("bench" + std::to_string(i));
            const std::string vertex = vertexSource(i);
            program->setStage(0, makeRef<Shader>(program->name() + ".vert", vertex, vertex, 0));
            program->setStage(1, makeRef<Shader>(program->name() + ".frag", kFragment, kFragment, 1));
            if (!program->link(nullptr, 0, 0)) {
                std::fprintf(stderr, "bench_scene: the benchmark program does not link\n");
                std::exit(1);
            }
            programs.push_back(program);
            arrays.push_back(VertexArrayObject::create(*program, *vertices, indices.get()));
        }
        build();
    }

    void buildBox() {
        // 24 vertices (position, normal), 36 16-bit indices: a unit cube with flat faces.
        std::vector<float> v;
        std::vector<uint16_t> idx;
        for (int face = 0; face < 6; ++face) {
            const int axis = face / 2;
            const float sign = (face % 2) ? -1.0f : 1.0f;
            const uint16_t base = uint16_t(v.size() / 6);
            for (int corner = 0; corner < 4; ++corner) {
                float p[3];
                p[axis] = 0.5f * sign;
                p[(axis + 1) % 3] = (corner & 1) ? 0.5f : -0.5f;
                p[(axis + 2) % 3] = (corner & 2) ? 0.5f : -0.5f;
                float n[3] = {0, 0, 0};
                n[axis] = sign;
                v.insert(v.end(), {p[0], p[1], p[2], n[0], n[1], n[2]});
            }
            idx.insert(idx.end(), {base, uint16_t(base + 1), uint16_t(base + 3), base, uint16_t(base + 3),
                                   uint16_t(base + 2)});
        }
        vertices = makeRef<VertexBuffer>();
        vertices->create();
        vertices->bind();
        vertices->setData(3, GLsizeiptr(v.size() * sizeof(float)), v.data());
        vertices->unbind();
        vertices->addElement(0, 0, 3, 12);
        vertices->addElement(12, 1, 3, 12);
        vertices->setStride(24);
        vertices->setVertexCount(24);
        indices = makeRef<IndexBuffer>();
        indices->create();
        indices->bind();
        indices->setData(3, GLsizeiptr(idx.size() * sizeof(uint16_t)), idx.data());
        indices->unbind();
    }

    void build() {
        uint32_t random = 0x12345678;
        Ref<Group> root = makeRef<Group>();
        root->shadowCasterMask = ~0u;
        scene = makeRef<Scene>();
        scene->setRoot(root);

        camera = makeRef<Camera>();
        camera->name = "camera";
        camera->farZ = 600;
        TransformAnimation cameraAnimation;
        cameraAnimation.slots[Controller::SlotX] = eightKeys(random, 0, 20);
        cameraAnimation.slots[Controller::SlotY] = eightKeys(random, 30, 5);
        cameraAnimation.slots[Controller::SlotZ] = eightKeys(random, 260, 20);
        cameraAnimation.slots[Controller::SlotH] = eightKeys(random, 3.1415927f, 0.2f);
        cameraAnimation.slots[Controller::SlotP] = eightKeys(random, -0.2f, 0.05f);
        cameraAnimation.slots[Controller::SlotB] = eightKeys(random, 0, 0.02f);
        cameraAnimation.positionAnimated = cameraAnimation.rotationAnimated = true;
        cameraAnimation.attachTo(*camera);
        Node::addChild(root.get(), camera.get());
        camera->updateProjection(16.0f / 9.0f);

        std::vector<Ref<Node>> lights = {makeRef<DirectionalLight>(Vec3(1, 0.9f, 0.8f)),
                                         makeRef<AmbientLight>(Vec3(0.1f, 0.1f, 0.15f)),
                                         makeRef<SpotLight>(Vec3(1, 1, 1), 50, 0.5f, 0.1f),
                                         makeRef<SpotLight>(Vec3(1, 0.5f, 0.5f), 50, 0.4f, 0.1f)};
        for (int i = 0; i < 4; ++i)
            lights.push_back(makeRef<PointLight>(Vec3(1, 1, 1), 20.0f + float(i)));
        for (size_t i = 0; i < lights.size(); ++i) {
            Node* light = lights[i].get();
            light->transform.flags = NodeTransform::HasPosition;
            light->transform.position = {draw(random) * 150, 20, draw(random) * 150};
            if (i >= 4)
                light->addController(makeRef<LightIntensityController>(eightKeys(random, 1, 0.5f)));
            Node::addChild(root.get(), light);
        }

        int object = 0;
        for (int r = 0; r < kRegions; ++r) {
            Ref<Group> region = makeRef<Group>();
            region->shadowCasterMask = 1;
            region->transform.flags = NodeTransform::HasPosition;
            region->transform.position = {float(r % 5) * 80 - 160, 0, float(r / 5) * 80 - 40};
            Node::addChild(root.get(), region.get());
            for (int m = 0; m < kMaterialsPerRegion; ++m) {
                const int index = r * kMaterialsPerRegion + m;
                Ref<Material> material = makeMaterial(index, random);
                material->shadowCasterMask = 1;
                Node::addChild(region.get(), material.get());
                Ref<VAOModel> vao = makeRef<VAOModel>(arrays[size_t(index % kPrograms)]);
                vao->shadowCasterMask = 1;
                Node::addChild(material.get(), vao.get());
                for (int o = 0; o < kObjectsPerMaterial; ++o, ++object)
                    addObject(vao.get(), object, random);
            }
        }
        scene->freezeStaticTransforms();
        if (scene->nodeCount() != 10000) {
            std::fprintf(stderr, "bench_scene: built %d nodes instead of 10000\n", scene->nodeCount());
            std::exit(1);
        }
    }

    Ref<Material> makeMaterial(int index, uint32_t& random) {
        Ref<Material> material = makeRef<Material>();
        const Ref<Program>& program = programs[size_t(index % kPrograms)];
        material->setProgram(program);
        material->setShadowProgram(program);
        Ref<Uniforms> uniforms = makeRef<Uniforms>(program);
        const UniformInfo* tint = program->findUniform("tint");
        if (tint)
            uniforms->add(makeRef<Vector3fUniformState>(tint->location, 1, &tints[size_t(index) * 3]));
        for (int c = 0; c < 3; ++c)
            tints[size_t(index) * 3 + size_t(c)] = 0.5f + 0.5f * draw(random);
        material->setUniforms(uniforms);
        if (index % 4 == 1) {
            BlendState blend;
            blend.enabled = true;
            blend.srcRGB = blend.dstRGB = 1;
            material->setBlend(blend);
            ++blendMaterials;
        }
        if (index % 3 == 0) {
            DepthStencilState depth = stateSet->defaultDepthStencil;
            depth.depthWrite = false;
            material->setDepthStencil(depth);
            ++depthStencilMaterials;
        }
        if (index % 5 == 2) {
            RasterizerState rasterizer;
            rasterizer.cullEnabled = false;
            material->setRasterizer(rasterizer);
            ++rasterizerMaterials;
        }
        ++materials;
        return material;
    }

    // An object: a static group placed on the region's grid, with its box drawable and 7 or 8
    // attachment groups. Half the drawables move and turn; one or two attachments per object turn
    // or slide: 2,000 animated nodes over the 1,000 objects.
    void addObject(Node* parent, int object, uint32_t& random) {
        Ref<Group> holder = makeRef<Group>();
        holder->shadowCasterMask = 1;
        holder->transform.flags = NodeTransform::HasPosition | NodeTransform::HasRotation;
        holder->transform.position = {draw(random) * 38, 0, draw(random) * 38};
        holder->transform.rotation = {draw(random) * 3, 0, 0};
        Node::addChild(parent, holder.get());

        IndexBin bin;
        bin.count = 36;
        bin.highest = 23;
        Ref<SubModel> box = makeRef<SubModel>(bin);
        box->alwaysVisible = false;
        box->setBoundingBox(BoundingBox::fromCenterExtent({0, 0, 0}, {0.5f, 0.5f, 0.5f}));
        box->shadowCasterMask = 1;
        box->transform.flags = NodeTransform::HasScale;
        box->transform.scale = {2, 2 + draw(random), 2};
        if (object % 2 == 0) {
            TransformAnimation animation;
            for (int s = Controller::SlotX; s <= Controller::SlotB; ++s)
                animation.slots[s] = eightKeys(random, 0, s < Controller::SlotH ? 2.0f : 1.0f);
            animation.positionAnimated = animation.rotationAnimated = true;
            animation.attachTo(*box);
            ++animatedNodes;
        }
        Node::addChild(holder.get(), box.get());
        ++drawables;

        const int attachments = object < 780 ? 8 : 7;
        const int animated = object % 2 == 0 ? 1 : 2;
        Node* previous = holder.get();
        for (int a = 0; a < attachments; ++a) {
            Ref<Group> attachment = makeRef<Group>();
            attachment->transform.flags = NodeTransform::HasPosition;
            attachment->transform.position = {draw(random), 1 + draw(random), draw(random)};
            if (a < animated) {
                TransformAnimation animation;
                const bool turn = (object + a) % 2 == 0;
                const int first = turn ? Controller::SlotH : Controller::SlotX;
                for (int s = first; s < first + 3; ++s)
                    animation.slots[s] = eightKeys(random, 0, 1);
                animation.rotationAnimated = turn;
                animation.positionAnimated = !turn;
                animation.attachTo(*attachment);
                ++animatedNodes;
            }
            // Attachments hang in chains of two, as small rigs do.
            Node::addChild(a % 2 == 0 ? holder.get() : previous, attachment.get());
            previous = attachment.get();
        }
    }

    // Records applied per colour frame: the state set's three defaults, then a push and a pop
    // (which re-applies the top) for every material that brings a record.
    unsigned long uncachedStateCalls() const {
        return (1ul + 2ul * unsigned(blendMaterials)) * kUncachedBlendCalls +
               (1ul + 2ul * unsigned(depthStencilMaterials)) * kUncachedDepthStencilCalls +
               (1ul + 2ul * unsigned(rasterizerMaterials)) * kUncachedRasterizerCalls;
    }

    void renderFrame() {
        ViewVolume::fromViewProjection(camera->projection * camera->view, scene->viewVolume);
        device->setMatrix(0, camera->projection);
        stateSet->reset();
        scene->render(camera->view, stateSet, 0);
    }
};

BenchScene& benchScene() {
    static BenchScene* scene = [] {
        BenchScene* s = new BenchScene();
        return s;
    }();
    return *scene;
}

void BM_SceneUpdate(benchmark::State& state) {
    BenchScene& b = benchScene();
    float time = 0;
    b.scene->update(time); // first touch outside the count
    const uint64_t before = gAllocations;
    for (auto _ : state) {
        time = std::fmod(time + kFrame, kKeyedSpan);
        gCountAllocations = true;
        b.scene->update(time);
        gCountAllocations = false;
    }
    const double frames = double(state.iterations());
    state.counters["nodes"] = b.scene->nodeCount();
    state.counters["animated"] = b.animatedNodes;
    state.counters["world_frozen"] = b.scene->worldFrozenCount();
    state.counters["allocs_per_frame"] = double(gAllocations - before) / frames;
}
// The machine is shared: repeated runs, with the least disturbed one reported beside the median.
double fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_SceneUpdate)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ComputeStatistics("min", fastest)
    ->ReportAggregatesOnly(true);

void BM_SceneRenderWalk(benchmark::State& state) {
    BenchScene& b = benchScene();
    b.scene->update(1.0f);
    b.renderFrame(); // warms the state set's stacks with the real driver
    GlCallRecorder counter(GlCallRecorder::Mode::Count);
    b.renderFrame(); // and once through the stubs
    counter.clear();
    const unsigned long stateCallsBefore = b.device->stateCallCount();
    const int drawnBefore = b.scene->drawnCount(), culledBefore = b.scene->culledCount();
    const uint64_t before = gAllocations;
    for (auto _ : state) {
        gCountAllocations = true;
        b.renderFrame();
        gCountAllocations = false;
    }
    counter.stop();
    const double frames = double(state.iterations());
    const double sent = double(b.device->stateCallCount() - stateCallsBefore) / frames;
    state.counters["gl_calls"] = double(counter.totalCount()) / frames;
    state.counters["draw_calls"] = double(counter.count("glDrawRangeElements")) / frames;
    state.counters["drawn"] = double(b.scene->drawnCount() - drawnBefore) / frames;
    state.counters["culled"] = double(b.scene->culledCount() - culledBefore) / frames;
    state.counters["state_calls_sent"] = sent;
    state.counters["state_calls_removed"] = double(b.uncachedStateCalls()) - sent;
    state.counters["allocs_per_frame"] = double(gAllocations - before) / frames;
}
BENCHMARK(BM_SceneRenderWalk)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ComputeStatistics("min", fastest)
    ->ReportAggregatesOnly(true);

void BM_SceneFrameLlvmpipe(benchmark::State& state) {
    BenchScene& b = benchScene();
    float time = 1.0f;
    glViewport(0, 0, 320, 180);
    for (auto _ : state) {
        time += kFrame;
        b.scene->update(time);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        b.renderFrame();
        glFinish();
    }
    b.device->resetState();
    while (glGetError() != GL_NO_ERROR) {
    }
}
BENCHMARK(BM_SceneFrameLlvmpipe)->Unit(benchmark::kMillisecond);

} // namespace
