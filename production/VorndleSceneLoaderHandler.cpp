#include "VorndleSceneLoaderHandler.h"

#include "render/UniformsBuilder.h"

void VorndleSceneLoaderHandler::registerFloat(const std::string& name, int count, const float* address) {
    registerValue(name, kFloat, count, address);
}

void VorndleSceneLoaderHandler::registerVector4(const std::string& name, const float* address) {
    registerValue(name, kVector4, 1, address);
}

bool VorndleSceneLoaderHandler::registerValue(const std::string& name, ValueType type, int count,
                                              const void* address) {
    if (!address || count < 1 || type < kInteger || type > kVector4)
        return false;
    return values_.emplace(name, Value{type, count, address}).second;
}

const VorndleSceneLoaderHandler::Value* VorndleSceneLoaderHandler::find(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? nullptr : &it->second;
}

bool VorndleSceneLoaderHandler::setUniform(UniformsBuilder& builder, const std::string& uniformName,
                                           const std::string& values) {
    const Value* value = find(values);
    if (!value)
        return false;
    // The builder leaves out a uniform the program does not use; the text still belonged to us.
    switch (value->type) {
    case kInteger:
        builder.addInteger(uniformName, value->count, static_cast<const int*>(value->address));
        break;
    case kFloat:
        builder.addFloat(uniformName, value->count, static_cast<const float*>(value->address));
        break;
    case kVector2:
        builder.addVector2f(uniformName, value->count, static_cast<const float*>(value->address));
        break;
    case kVector3:
        builder.addVector3f(uniformName, value->count, static_cast<const float*>(value->address));
        break;
    case kVector4:
        builder.addVector4f(uniformName, value->count, static_cast<const float*>(value->address));
        break;
    }
    return true;
}
