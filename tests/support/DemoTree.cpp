#include "support/DemoTree.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

std::string DemoTree::exampleDataDir() {
    return std::string(VORNDLE_BINARY_DIR) + "/examples/hello/data";
}
std::string DemoTree::exampleBinary() {
    return std::string(VORNDLE_BINARY_DIR) + "/examples/hello/hello";
}

DemoTree::DemoTree(const std::string& dataDir) {
    fs::copy(dataDir, dir_.path() + "/data", fs::copy_options::recursive);
}

std::vector<std::string> DemoTree::files() const {
    std::vector<std::string> found;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir_.path() + "/data"))
        if (e.is_regular_file())
            found.push_back(fs::relative(e.path(), dir_.path()).string());
    std::sort(found.begin(), found.end());
    return found;
}

void DemoTree::write(const std::string& relative, const std::string& text) const {
    std::ofstream(path(relative), std::ios::binary) << text;
}

void DemoTree::remove(const std::string& relative) const {
    fs::remove(path(relative));
}

std::string DemoTree::read(const std::string& relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void DemoTree::edit(const std::string& relative, const std::string& from, const std::string& to) const {
    std::string s = read(relative);
    size_t at = s.find(from);
    ASSERT_NE(at, std::string::npos) << "\"" << from << "\" not in " << relative;
    s.replace(at, from.size(), to);
    write(relative, s);
}

int runCommand(const std::string& command, std::string* errorOutput, int timeoutSeconds) {
    TempDir dir;
    std::string err = dir.file("stderr");
    std::string full =
        "timeout " + std::to_string(timeoutSeconds) + " " + command + " 2>" + err + " >/dev/null";
    int status = std::system(full.c_str());
    if (errorOutput) {
        std::ifstream in(err);
        std::stringstream text;
        text << in.rdbuf();
        *errorOutput = text.str();
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
