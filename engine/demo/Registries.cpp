#include "demo/Registries.h"

#include "assets/Mesh.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/SamplerSet.h"
#include "render/Texture.h"

Registry<Texture>& textureRegistry() {
    static Registry<Texture> registry;
    return registry;
}

Registry<Framebuffer>& framebufferRegistry() {
    static Registry<Framebuffer> registry;
    return registry;
}

Registry<Program>& programRegistry() {
    static Registry<Program> registry;
    return registry;
}

Registry<Mesh>& meshRegistry() {
    static Registry<Mesh> registry;
    return registry;
}

bool addByName(SamplerSet& set, const std::string& textureName, const Program* program,
               const std::string& uniformName) {
    if (!program)
        return false;
    return set.addForUniform(textureRegistry().find(textureName), *program, uniformName);
}
