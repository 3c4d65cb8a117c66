#include "render/SamplerSet.h"

#include "render/Program.h"

bool SamplerSet::addForUniform(const Ref<Texture>& texture, const Program& program,
                               const std::string& uniformName) {
    const SamplerInfo* uniform = program.findSampler(uniformName);
    if (!texture || !uniform)
        return false;
    add(texture, uniform->unit);
    return true;
}
