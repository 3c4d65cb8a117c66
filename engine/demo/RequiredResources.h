#pragma once

#include "core/Object.h"

#include <string>

class Framebuffer;
class Mesh;
class Program;
class SamplerSet;
class Texture;

// Lookups of the named resources a part cannot do without. A lookup that finds nothing prints
// one line, "data/demo.xml: <user>: no program named "x" is declared (<program> under <shaders>)",
// so a demo maker learns which declaration is missing instead of a bare "Failed to load demo".
// Optional resources are looked up in the registries directly and stay silent.
class RequiredResources {
public:
    // `user` names who needs the resources in the diagnostic, e.g. "part \"intro\"".
    explicit RequiredResources(std::string user) : user_(std::move(user)) {}

    Ref<Program> program(const std::string& name);
    Ref<Framebuffer> framebuffer(const std::string& name);
    Ref<Texture> texture(const std::string& name);
    Ref<Mesh> mesh(const std::string& name);
    // Adds the registered texture on the unit of `program`'s sampler uniform; reports a missing
    // texture, or a program without that sampler uniform.
    bool sampler(SamplerSet& set, const std::string& textureName, const Program* program,
                 const std::string& uniformName);

    // True while every lookup so far found what it asked for.
    bool allFound() const { return allFound_; }

private:
    void missing(const char* kind, const std::string& name, const char* declaration);

    std::string user_;
    bool allFound_ = true;
};
