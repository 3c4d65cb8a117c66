#pragma once

#include "support/TempDir.h"

#include <string>
#include <vector>

// A private copy of a built demo's complete data tree (by default the hello example's) that a
// test may change: the demo root is the copy's folder, its files under data/.
class DemoTree {
public:
    explicit DemoTree(const std::string& dataDir = exampleDataDir());

    const std::string& root() const { return dir_.path(); }
    std::string path(const std::string& relative) const { return dir_.path() + "/" + relative; }
    // A file's contents, and replacing them (relative to the root).
    std::string read(const std::string& relative) const;
    void write(const std::string& relative, const std::string& text) const;
    void remove(const std::string& relative) const;
    // Every regular file under data/, as root-relative paths ("data/shaders/a.vert"), sorted.
    std::vector<std::string> files() const;
    // Replaces the first occurrence of `from` in a text file.
    void edit(const std::string& relative, const std::string& from, const std::string& to) const;

    static std::string exampleDataDir();
    static std::string exampleBinary();

private:
    TempDir dir_;
};

// Runs a command with a timeout, capturing standard error; answers the exit status.
int runCommand(const std::string& command, std::string* errorOutput, int timeoutSeconds = 120);
