#pragma once

#include "core/Object.h"
#include "render/Uniforms.h"

#include <string>

// Builds a Uniforms list from uniform names, checked against the program's reflection. Every add
// answers false for a name the program does not use, a negative location, a member of a uniform
// block (those are fed through a UniformBuffer) or a too-small buffer.
class UniformsBuilder : public Object {
public:
    explicit UniformsBuilder(const Ref<Program>& program);
    ~UniformsBuilder() override;

    // Starts a new, empty list (replacing the one held) and answers it.
    Ref<Uniforms> begin();

    bool addInteger(const std::string& name, int count, const int* values);
    bool addFloat(const std::string& name, int count, const float* values);
    bool addVector2f(const std::string& name, int count, const float* values);
    bool addVector3f(const std::string& name, int count, const float* values);
    bool addVector4f(const std::string& name, int count, const float* values);
    bool addMatrix4f(const std::string& name, int count, const float* values);
    bool addBlock(const std::string& name, const Ref<UniformBuffer>& buffer);

    const Ref<Uniforms>& uniforms() const { return uniforms_; }

private:
    // Location of a usable uniform, or -1.
    GLint locate(const std::string& name) const;

    Ref<Program> program_;
    Ref<Uniforms> uniforms_;
};
