#include "demo/Registries.h"

#include "render/Framebuffer.h"
#include "render/Program.h"
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
