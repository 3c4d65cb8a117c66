#include "demo/RequiredResources.h"

#include "assets/Mesh.h"
#include "core/Diagnostics.h"
#include "demo/Registries.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/SamplerSet.h"
#include "render/Texture.h"

namespace {
constexpr const char* kDescription = "data/demo.xml";
} // namespace

void RequiredResources::missing(const char* kind, const std::string& name, const char* declaration) {
    allFound_ = false;
    diagnostic(kDescription, user_.c_str(), "no %s named \"%s\" is declared (%s)", kind, name.c_str(),
               declaration);
}

Ref<Program> RequiredResources::program(const std::string& name) {
    Ref<Program> found = programRegistry().find(name);
    if (!found)
        missing("program", name, "<program> under <shaders>");
    return found;
}

Ref<Framebuffer> RequiredResources::framebuffer(const std::string& name) {
    Ref<Framebuffer> found = framebufferRegistry().find(name);
    if (!found)
        missing("framebuffer", name, "<fbo> under <framebuffers>");
    return found;
}

Ref<Texture> RequiredResources::texture(const std::string& name) {
    Ref<Texture> found = textureRegistry().find(name);
    if (!found)
        missing("texture", name,
                "<texture> under <framebuffers>, or <image>, <cubemap> or <array> under <textures>");
    return found;
}

Ref<Mesh> RequiredResources::mesh(const std::string& name) {
    Ref<Mesh> found = meshRegistry().find(name);
    if (!found)
        missing("mesh", name, "<mesh> under <models>");
    return found;
}

bool RequiredResources::sampler(SamplerSet& set, const std::string& textureName, const Program* program,
                                const std::string& uniformName) {
    Ref<Texture> found = texture(textureName);
    if (!found || !program)
        return false;
    const SamplerInfo* uniform = program->findSampler(uniformName);
    if (!uniform) {
        allFound_ = false;
        diagnostic(kDescription, user_.c_str(),
                   "program \"%s\" has no sampler uniform \"%s\" for texture \"%s\"", program->name().c_str(),
                   uniformName.c_str(), textureName.c_str());
        return false;
    }
    set.add(found, uniform->unit);
    return true;
}
