#pragma once

#include "deferred/DeferredScene.h"
#include "demo/LoadingScreen.h"
#include "math/Vec3.h"
#include "render/Device.h"
#include "render/Program.h"
#include "scene/Drawable.h"
#include "scene/Scene.h"
#include "scene/State.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Program;
class VertexArrayObject;

// What a deferred scene looks up, for tests and benchmarks: the G-buffer textures and the
// "gbuffer" and "light_accumulation" framebuffers at the given size, the sun's four cascades as
// layers of the depth array "shadow_cascade", every light program and "shadows/dirlight" built
// from data/shaders, the material "materials/plain", and a projection texture and cube map.
namespace deferred_resources {

// Builds everything once per process (later calls with other sizes rebuild the targets).
bool build(int width, int height, int shadowSize, std::string* error);
// One device for the whole test binary: GL keeps its state from test to test, and a second
// device's caches would not know it.
const Ref<Device>& device();
// RGBA rows of the first colour attachment of a framebuffer, top row first.
std::vector<uint8_t> readPixels(const std::string& framebuffer);
// Reads back the light records of a scene.
std::vector<LightRecord> readRecords(const DeferredScene& scene);

} // namespace deferred_resources

// Pushes a program for its subtree in colour passes (shadow passes keep their own).
class ProgramState : public State {
public:
    explicit ProgramState(const Ref<Program>& program) : program_(program) {}
    void apply(StateSet& stateSet) override;
    void restore(StateSet& stateSet) override;
    int applied = 0, appliedInShadow = 0;

private:
    Ref<Program> program_;
    bool pushed_ = false;
};

// A box (or, with height 0, a plane facing +Y) of position/normal triangles.
class BoxDrawable : public Drawable {
public:
    BoxDrawable(const Vec3& size);
    void draw(Device& device, float time) override;
    int draws = 0;

private:
    Ref<VertexArrayObject> vertexArray_;
    Ref<Object> buffer_;
    int vertexCount_ = 0;
};

// A deferred scene whose scene graph a function builds.
class CodeScene : public DeferredScene {
public:
    explicit CodeScene(std::function<Ref<Scene>()> build) : build_(std::move(build)) {}
    Ref<Scene> loadScene(Ref<LoadingScreen>&) override { return build_(); }
    void renderAfterLights(Ref<Device>&, const Mat4&, float) override { ++afterLights; }
    void renderGBufferExtras(Ref<Device>&, const Mat4&, float) override { ++extras; }
    int afterLights = 0, extras = 0;

private:
    std::function<Ref<Scene>()> build_;
};

// Adds `child` under `parent` and answers it.
template <class T> T* attach(Node* parent, const Ref<T>& child) {
    Node::addChild(parent, child.get());
    return child.get();
}
