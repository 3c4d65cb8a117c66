#include "SceneFileTestSupport.h"

#include "assets/Mesh.h"
#include "core/Diagnostics.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "render/Texture2D.h"

#include <fstream>
#include <functional>

namespace {

constexpr const char* kSceneVertex = R"(#version 430 core
uniform mat4 ModelViewProjectionMatrix;
uniform mat4 bones[64];
in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;
out vec2 uv;
void main() {
    uv = TEXCOORD + NORMAL.xy * 0.0;
    gl_Position = ModelViewProjectionMatrix * bones[int(POSITION.x) & 63] * vec4(POSITION, 1.0);
}
)";
constexpr const char* kSceneFragment = R"(#version 430 core
uniform sampler2D surface;
uniform vec4 tint;
in vec2 uv;
out vec4 color;
void main() { color = texture(surface, uv) * tint; }
)";
constexpr const char* kAtmosphereFragment = R"(#version 430 core
layout(std140) uniform AtmosphereModel {
    vec4 sunColour;
    vec4 sunDirection;
};
in vec2 uv;
out vec4 color;
void main() { color = sunColour + sunDirection * uv.x; }
)";

Ref<Program> linkProgram(const std::string& name, const char* fragment) {
    Ref<Program> program = makeRef<Program>(name);
    program->setStage(0, makeRef<Shader>(name + ".vert", kSceneVertex, kSceneVertex, 0));
    program->setStage(1, makeRef<Shader>(name + ".frag", fragment, fragment, 1));
    return program->link(nullptr, 0, 0) ? program : nullptr;
}

Ref<Mesh> makeMesh(int bins, bool boxes, bool skinned) {
    Ref<VertexBuffer> vertices = makeRef<VertexBuffer>();
    vertices->setStride(32);
    vertices->setVertexCount(8);
    vertices->addElement(0, 0, 3, 12);
    vertices->addElement(12, 1, 3, 12);
    vertices->addElement(24, 4, 2, 8);
    vertices->create();
    Ref<IndexBuffer> indices = makeRef<IndexBuffer>();
    indices->create();
    std::vector<IndexBin> binList{size_t(bins)};
    for (int i = 0; i < bins; ++i) {
        binList[size_t(i)].first = uint32_t(3 * i);
        binList[size_t(i)].count = 3;
    }
    Ref<Mesh> mesh = makeRef<Mesh>(vertices, indices, binList);
    if (boxes) {
        std::vector<BoundingBox> bounds;
        for (int i = 0; i < bins; ++i)
            bounds.push_back(BoundingBox::fromCenterExtent({float(i), 0, 0}, {1, 2, 3}));
        mesh->setBounds(bounds);
    }
    if (skinned)
        mesh->setSkin({"root", "arm"}, {});
    return mesh;
}

} // namespace

void SceneFileTest::SetUp() {
    GlTest::SetUp();
    programRegistry().insert("scene", linkProgram("scene", kSceneFragment));
    programRegistry().insert("deferred/atmoslight", linkProgram("atmoslight", kAtmosphereFragment));
    ASSERT_TRUE(programRegistry().find("scene") && programRegistry().find("deferred/atmoslight"));
    for (const char* name : {"checker", "sky"}) {
        Ref<Texture2D> texture = makeRef<Texture2D>();
        texture->create(4, 4, codes::formatCode("rgba_8"));
        textureRegistry().insert(name, texture);
    }
    meshRegistry().insert("box", makeMesh(2, true, true));
    meshRegistry().insert("plain", makeMesh(1, false, false));
    loader = makeRef<SceneLoaderXML>();
}

void SceneFileTest::TearDown() {
    for (Ref<Scene>& scene : scenes) {
        Ref<Node> root(scene->root());
        scene->setRoot(nullptr);
        Node::releaseSubtree(root);
    }
    scenes.clear();
    loader = nullptr;
    programRegistry().clear();
    textureRegistry().clear();
    meshRegistry().clear();
    GlTest::TearDown();
}

Ref<Scene> SceneFileTest::load(const std::string& body, bool whole) {
    std::ofstream(path()) << (whole ? body : "<scene>\n" + body + "\n</scene>\n");
    Ref<Scene> scene = loader->load(path());
    if (scene)
        scenes.push_back(scene);
    return scene;
}

std::string SceneFileTest::loadFails(const std::string& body, bool whole) {
    const unsigned before = diagnosticCount();
    ::testing::internal::CaptureStderr();
    Ref<Scene> scene = load(body, whole);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(scene) << body;
    EXPECT_EQ(diagnosticCount(), before + 1) << said;
    return said;
}

std::vector<Node*> SceneFileTest::preOrder(const Scene& scene) {
    std::vector<Node*> out;
    std::function<void(Node*)> walk = [&](Node* n) {
        for (; n; n = n->nextSibling()) {
            out.push_back(n);
            walk(n->firstChild());
        }
    };
    walk(scene.root());
    return out;
}
