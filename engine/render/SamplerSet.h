#pragma once

#include "core/Object.h"
#include "render/Texture.h"

#include <string>
#include <vector>

class Program;

// The textures a material binds, each on the unit its program gave the sampler uniform. Pairs
// bind in insertion order, so a later pair on the same unit wins.
class SamplerSet : public Object {
public:
    struct Binding {
        Ref<Texture> texture;
        int unit;
    };

    void add(const Ref<Texture>& texture, int unit) { bindings_.push_back({texture, unit}); }
    // Adds `texture` on the unit of `program`'s sampler uniform `uniformName`; answers false and
    // adds nothing when the texture is null or the program has no such sampler uniform. (Lookups
    // by texture name go through the registries: addByName in demo/Registries.h.)
    bool addForUniform(const Ref<Texture>& texture, const Program& program, const std::string& uniformName);

    const std::vector<Binding>& bindings() const { return bindings_; }

private:
    std::vector<Binding> bindings_;
};
