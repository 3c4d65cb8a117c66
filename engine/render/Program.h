#pragma once

#include "core/Object.h"
#include "render/CodeTables.h"
#include "render/Gl.h"
#include "render/Sampler.h"
#include "render/Shader.h"

#include <string>
#include <unordered_map>
#include <vector>

struct SamplerInfo {
    int unit;
    GLenum type;
};

// For a member of a uniform block `location` holds its byte offset and blockIndex is >= 0;
// otherwise it is the location and blockIndex is -1.
struct UniformInfo {
    GLint location;
    GLenum baseType;
    int components;
    int blockIndex;
};

struct AttributeInfo {
    GLint location;
    GLenum baseType;
    int components;
    GLenum type;
};

struct AtomicCounterBufferInfo {
    GLint binding;
    GLint dataSize;
    GLint activeCounters;
};

// The block index doubles as the block's binding point.
struct UniformBlockInfo {
    GLint index;
    GLint dataSize;
};

// A linked GPU program and everything the engine looks up in it by name: sampler uniforms with
// the texture units linking gave them, plain uniforms, vertex attributes, uniform blocks, and
// which built-in matrices it uses.
class Program : public Object {
public:
    static constexpr int kBuiltInCount = codes::kBuiltInMatrixCount;
    // Stage codes, as the stage table numbers them.
    enum Stage { kVertex = 0, kFragment = 1, kGeometry = 2, kControl = 3, kEvaluation = 4, kCompute = 5 };

    explicit Program(std::string name = std::string()) : name_(std::move(name)) {}
    ~Program() override;

    void setStage(int stage, const Ref<Shader>& shader);
    const Ref<Shader>& stage(int stage) const { return stages_[stage]; }

    // Compiles what is not compiled yet, links and reflects. Without varyings pass count 0.
    // Compile, link and validation failures print the driver's log on standard error.
    bool link(const char* const* varyings, int count, int mode);

    // Re-reads everything by-name lookups need from the linked program (link does this once);
    // leaves no program in use.
    void reflect();

    // glUseProgram plus the program's sampler objects on their units; unuse undoes both.
    void use() const;
    void unuse() const;

    const SamplerInfo* findSampler(const std::string& name) const { return lookup(samplers_, name); }
    const UniformInfo* findUniform(const std::string& name) const { return lookup(uniforms_, name); }
    const AttributeInfo* findAttribute(const std::string& name) const { return lookup(attributes_, name); }
    const UniformBlockInfo* findUniformBlock(const std::string& name) const { return lookup(blocks_, name); }

    const std::unordered_map<std::string, SamplerInfo>& samplers() const { return samplers_; }
    const std::unordered_map<std::string, UniformInfo>& uniforms() const { return uniforms_; }
    const std::unordered_map<std::string, AttributeInfo>& attributes() const { return attributes_; }
    const std::unordered_map<std::string, UniformBlockInfo>& uniformBlocks() const { return blocks_; }
    const std::vector<AtomicCounterBufferInfo>& atomicCounterBuffers() const { return atomicCounterBuffers_; }

    bool hasSamplerObject(int unit) const;
    void addSamplerObject(int unit, const Ref<Sampler>& sampler);
    const std::vector<Ref<Sampler>>& samplerObjects() const { return samplerObjects_; }
    const std::vector<GLuint>& samplerUnits() const { return samplerUnits_; }

    // Convenience uploads to the program in use; each does nothing when the uniform is absent.
    void setFloat(const std::string& name, float x) const;
    void setFloatArray5(const std::string& name, const float* values) const;
    void setVector2(const std::string& name, float x, float y) const;
    void setVector3(const std::string& name, float x, float y, float z) const;

    const std::string& name() const { return name_; }
    GLuint glName() const { return glName_; }
    uint32_t builtInMask() const { return builtInMask_; }
    // Location of built-in matrix `index`, or -1 when the program does not use it.
    GLint builtInLocation(int index) const { return builtInLocations_[index]; }
    // Active attribute locations (>= 0), for disabling their arrays without a map walk.
    const std::vector<GLuint>& attributeLocations() const { return attributeLocations_; }

private:
    template <class M> static const typename M::mapped_type* lookup(const M& map, const std::string& name) {
        auto it = map.find(name);
        return it == map.end() ? nullptr : &it->second;
    }
    [[nodiscard]] bool compileAndAttach(int stage);
    void clearReflection();
    void printLog(const char* place, const char* what) const;

    Ref<Shader> stages_[6];
    std::unordered_map<std::string, SamplerInfo> samplers_;
    std::unordered_map<std::string, UniformInfo> uniforms_;
    std::unordered_map<std::string, AttributeInfo> attributes_;
    std::vector<AtomicCounterBufferInfo> atomicCounterBuffers_;
    std::unordered_map<std::string, UniformBlockInfo> blocks_;
    std::vector<Ref<Sampler>> samplerObjects_;
    std::vector<GLuint> samplerUnits_;
    std::string name_;
    GLuint glName_ = 0;
    uint32_t builtInMask_ = 0;
    GLint builtInLocations_[kBuiltInCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::vector<GLuint> attributeLocations_;
};
