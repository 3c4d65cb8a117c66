#pragma once

#include "core/Object.h"

#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

// A process-wide map from name to object. The first object registered under a name stays; a
// later one under the same name is neither named nor kept. Objects that carry a name (they have
// setName) receive the registry name when they are inserted.
//
// A template so that a registry of a type that is only forward-declared can be declared; it is
// instantiated where the type is complete.
template <class T> class Registry {
public:
    // Answers false (and ignores the object) when the name is taken or the object is null.
    bool insert(const std::string& name, const Ref<T>& object) {
        if (!object || objects_.count(name) != 0)
            return false;
        if constexpr (HasSetName<T>::value)
            object->setName(name);
        objects_.emplace(name, object);
        return true;
    }
    // Null when nothing is registered under the name.
    Ref<T> find(const std::string& name) const {
        auto it = objects_.find(name);
        return it == objects_.end() ? Ref<T>() : it->second;
    }
    // Drops the entry (and its reference); answers whether there was one.
    bool remove(const std::string& name) { return objects_.erase(name) != 0; }
    bool contains(const std::string& name) const { return objects_.count(name) != 0; }
    void clear() { objects_.clear(); }
    // Exchanges the contents with another registry (a reload loads into an empty one and keeps
    // the old contents aside until it has succeeded).
    void swap(Registry& other) { objects_.swap(other.objects_); }
    size_t size() const { return objects_.size(); }
    // Every registered name, in no particular order.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        out.reserve(objects_.size());
        for (const auto& entry : objects_)
            out.push_back(entry.first);
        return out;
    }

private:
    template <class U, class = void> struct HasSetName : std::false_type {};
    template <class U>
    struct HasSetName<U,
                      std::void_t<decltype(std::declval<U&>().setName(std::declval<const std::string&>()))>>
        : std::true_type {};

    std::unordered_map<std::string, Ref<T>> objects_;
};
