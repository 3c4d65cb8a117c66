#pragma once

#include <string>

// A fresh folder under the system's temporary directory, removed with everything in it when the
// object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes bytes to a file; answers false if it could not.
bool writeFile(const std::string& path, const void* data, size_t size);
bool writeFile(const std::string& path, const std::string& text);
