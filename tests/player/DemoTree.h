#pragma once

#include "support/TempDir.h"

#include <string>

// A private copy of the hello example's complete data tree (built by the build) that a test may
// change: the demo root is the copy's folder, its files under data/.
class DemoTree {
public:
    DemoTree();

    const std::string& root() const { return dir_.path(); }
    std::string path(const std::string& relative) const { return dir_.path() + "/" + relative; }
    // A file's contents, and replacing them (relative to the root).
    std::string read(const std::string& relative) const;
    void write(const std::string& relative, const std::string& text) const;
    void remove(const std::string& relative) const;
    // Replaces the first occurrence of `from` in a text file.
    void edit(const std::string& relative, const std::string& from, const std::string& to) const;

    static std::string exampleDataDir();
    static std::string exampleBinary();

private:
    TempDir dir_;
};

// Runs a command with a timeout, capturing standard error; answers the exit status.
int runCommand(const std::string& command, std::string* errorOutput, int timeoutSeconds = 120);
