#include "render/SamplerSet.h"

#include "demo/Registries.h"
#include "render/Program.h"

bool SamplerSet::addByName(const std::string& textureName, const Program* program,
                           const std::string& uniformName) {
    if (!program)
        return false;
    Ref<Texture> texture = textureRegistry().find(textureName);
    const SamplerInfo* uniform = program->findSampler(uniformName);
    if (!texture || !uniform)
        return false;
    add(texture, uniform->unit);
    return true;
}
