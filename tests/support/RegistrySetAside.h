#pragma once

#include "demo/Registries.h"

#include <string>
#include <unordered_map>

// The entries of a global registry moved aside while another demo loads into it, and put back
// afterwards, so sessions of different demos in one process do not see each other's resources.
template <class T> struct RegistrySetAside {
    std::unordered_map<std::string, Ref<T>> entries;
    void takeFrom(Registry<T>& registry) {
        for (const std::string& name : registry.names())
            entries.emplace(name, registry.find(name));
        registry.clear();
    }
    void putBack(Registry<T>& registry) {
        registry.clear();
        for (const auto& entry : entries)
            registry.insert(entry.first, entry.second);
        entries.clear();
    }
};
