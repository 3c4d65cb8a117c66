#pragma once

#include "core/Object.h"

#include <string>

// Base of every file-format loader: knows the file extensions it accepts.
class Loader : public Object {
public:
    // `extensions`: entries separated by ':' (for example "png:PNG").
    explicit Loader(std::string extensions) : extensions_(std::move(extensions)) {}
    ~Loader() override = default;

    // True if the text after the path's last '.' equals one of the entries exactly (case matters).
    // An empty entry never matches a non-empty extension; a path without '.' is never accepted.
    bool canLoad(const std::string& path) const;

    const std::string& extensions() const { return extensions_; }

private:
    std::string extensions_;
};
