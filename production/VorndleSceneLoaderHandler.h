#pragma once

#include "scenefile/CullingLoaderHandler.h"

#include <map>
#include <string>

// The production's loader handler: `culling` elements (from the engine's handler) and a table of
// live production values that material uniforms may name in their "values" text. A uniform bound
// to a table entry reads the production's variable every time the uniforms are applied, so the
// values must outlive the loaded scene (they are members of the scene template).
class VorndleSceneLoaderHandler : public CullingLoaderHandler {
public:
    enum ValueType { kInteger = 0, kFloat = 1, kVector2 = 2, kVector3 = 3, kVector4 = 4 };
    struct Value {
        ValueType type;
        int count;
        const void* address;
    };

    // `count` floats read as a float uniform (an array when count > 1). A name already registered
    // keeps its first entry.
    void registerFloat(const std::string& name, int count, const float* address);
    // One vec4 read from four consecutive floats.
    void registerVector4(const std::string& name, const float* address);
    // Any entry; false (nothing changed) for a name already registered, a null address or a count
    // below one.
    bool registerValue(const std::string& name, ValueType type, int count, const void* address);

    bool setUniform(UniformsBuilder& builder, const std::string& uniformName,
                    const std::string& values) override;

    const Value* find(const std::string& name) const;
    size_t size() const { return values_.size(); }

private:
    std::map<std::string, Value> values_;
};
