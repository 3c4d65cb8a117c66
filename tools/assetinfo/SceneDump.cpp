#include "SceneDump.h"

#include "JsonText.h"

#include "app/DemoApplication.h"
#include "app/DemoDescription.h"
#include "app/SoundDevice.h"
#include "atmosphere/AtmosphericalLight.h"
#include "core/Diagnostics.h"
#include "core/Paths.h"
#include "core/SanitizerSupport.h"
#include "demo/LoadingScreen.h"
#include "render/Gl.h"
#include "scene/AreaLight.h"
#include "scene/Camera.h"
#include "scene/CubeLight.h"
#include "scene/DirectionalLight.h"
#include "scene/LinearLight.h"
#include "scene/PointLight.h"
#include "scene/ProjectiveLight.h"
#include "scene/Scene.h"
#include "scene/SpotLight.h"
#include "scenefile/SceneLoaderXML.h"

#include <SDL.h>
#include <cxxabi.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>
#include <vector>

namespace {

class InspectorDemo : public DemoApplication {
public:
    InspectorDemo() {
        settings.width = 1280;
        settings.height = 720;
        options.noSound = true;
        options.noMessageBox = true;
    }
    bool createParts(Ref<LoadingScreen>&) override { return true; }
};

// A hidden window with a 4.3 core context, for loaders that create GL objects.
class HiddenContext {
public:
    HiddenContext() {
        // Sanitizer builds: leaks inside the driver stay attributable (and suppressed) at exit.
        keepGlDriverMapped();
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            error_ = std::string("SDL_Init: ") + SDL_GetError() + " (an X display is needed; try xvfb-run)";
            return;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        window_ = SDL_CreateWindow("assetinfo", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64, 64,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        context_ = window_ ? SDL_GL_CreateContext(window_) : nullptr;
        if (!context_) {
            error_ = std::string("no GL 4.3 core context: ") + SDL_GetError();
            return;
        }
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            error_ = "glewInit failed (no GLX display?)";
            return;
        }
        gl::clearErrors();
    }
    ~HiddenContext() {
        if (context_)
            SDL_GL_DeleteContext(context_);
        if (window_)
            SDL_DestroyWindow(window_);
        SDL_Quit();
    }
    const std::string& error() const { return error_; }

private:
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    std::string error_;
};

std::string className(const Node& node) {
    const char* mangled = typeid(node).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? name.get() : mangled;
}

std::string field(const char* name, const std::string& value) {
    return std::string(",\"") + name + "\":" + value;
}

// The parameters of lights and cameras, as extra fields.
std::string parameters(const Node& node) {
    std::string out;
    if (const auto* camera = dynamic_cast<const Camera*>(&node))
        return field("fov", jsonNumber(camera->fov)) + field("nearZ", jsonNumber(camera->nearZ)) +
               field("farZ", jsonNumber(camera->farZ));
    const auto* light = dynamic_cast<const Light*>(&node);
    if (!light)
        return out;
    out += field("colour", jsonVec3(light->colour)) + field("intensity", jsonNumber(light->intensity)) +
           field("shadowIntensity", jsonNumber(light->shadowIntensity));
    if (const auto* l = dynamic_cast<const PointLight*>(light))
        out +=
            field("radius", jsonNumber(l->radius)) + field("particleRadius", jsonNumber(l->particleRadius));
    else if (const auto* l = dynamic_cast<const SpotLight*>(light))
        out += field("radius", jsonNumber(l->radius)) + field("cosCone", jsonNumber(l->cosCone)) +
               field("cosEdge", jsonNumber(l->cosEdge));
    else if (const auto* l = dynamic_cast<const ProjectiveLight*>(light))
        out += field("radius", jsonNumber(l->radius)) + field("fov", jsonNumber(l->fov)) +
               field("aspect", jsonNumber(l->aspect)) + field("cosCone", jsonNumber(l->cosCone)) +
               field("cosEdge", jsonNumber(l->cosEdge));
    else if (const auto* l = dynamic_cast<const AreaLight*>(light))
        out += field("radius", jsonNumber(l->radius));
    else if (const auto* l = dynamic_cast<const CubeLight*>(light))
        out += field("radius", jsonNumber(l->radius));
    else if (const auto* l = dynamic_cast<const LinearLight*>(light))
        out += field("radius", jsonNumber(l->radius)) + field("width", jsonNumber(l->width));
    else if (const auto* l = dynamic_cast<const AtmosphericalLight*>(light); l && l->model)
        out += field("sunDirection", jsonVec3(l->model->sunDirection)) +
               field("sunColour", jsonVec3(l->model->sunColour));
    return out;
}

void collect(Node* first, int parent, std::vector<std::pair<Node*, int>>& out) {
    for (Node* n = first; n; n = n->nextSibling()) {
        const int index = int(out.size());
        out.emplace_back(n, parent);
        collect(n->firstChild(), index, out);
    }
}

// Scene paths name files from the working directory when they exist there, else from the root.
std::string scenePath(const std::string& file) {
    if (!file.empty() && file[0] != '/' && access(file.c_str(), F_OK) == 0) {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            return std::string(cwd) + "/" + file;
    }
    return file;
}

} // namespace

int dumpScenes(const std::string& root, float beat, const std::vector<std::string>& files) {
    HiddenContext context;
    if (!context.error().empty()) {
        diagnostic("assetinfo", "GL", "%s", context.error().c_str());
        return 1;
    }
    std::vector<std::string> paths;
    for (const std::string& file : files)
        paths.push_back(scenePath(file));
    setDemoRoot(root);
    InspectorDemo app;
    app.soundDevice = makeRef<SoundDevice>();
    int status = 0;
    if (!app.soundDevice->initialize(true) || !loadDemoDescription("data/demo.xml", app)) {
        app.unload();
        return 1;
    }
    Ref<SceneLoaderXML> loader = makeRef<SceneLoaderXML>();
    for (size_t f = 0; f < files.size(); ++f) {
        Ref<Scene> scene = loader->load(paths[f]);
        if (!scene) {
            status = 1;
            continue;
        }
        scene->update(beat);
        std::vector<std::pair<Node*, int>> nodes;
        collect(scene->root(), -1, nodes);
        for (size_t i = 0; i < nodes.size(); ++i) {
            const Node& n = *nodes[i].first;
            std::string json = "{\"file\":" + jsonString(files[f]) +
                               ",\"kind\":\"node\",\"index\":" + std::to_string(i) +
                               ",\"name\":" + jsonString(n.name) + ",\"class\":" + jsonString(className(n)) +
                               ",\"kindCode\":" + std::to_string(n.kind()) +
                               ",\"parent\":" + std::to_string(nodes[i].second) +
                               ",\"enabled\":" + (n.enabled ? "true" : "false") +
                               ",\"position\":" + jsonVec3(n.transform.worldPosition) + parameters(n) + "}";
            std::puts(json.c_str());
        }
        Ref<Node> tree(scene->root());
        scene->setRoot(nullptr);
        Node::releaseSubtree(tree);
    }
    loader = nullptr;
    app.unload();
    return status;
}

bool parseSceneOption(const std::string& option, const char* value, std::string& root, float& beat) {
    if (!value) {
        std::fprintf(stderr, "assetinfo: %s expects a value\n", option.c_str());
        return false;
    }
    if (option == "--root") {
        root = value;
        return !root.empty();
    }
    char* end = nullptr;
    const double v = std::strtod(value, &end);
    if (end == value || *end || !std::isfinite(v)) {
        std::fprintf(stderr, "assetinfo: --at expects a beat number\n");
        return false;
    }
    beat = float(v);
    return true;
}
