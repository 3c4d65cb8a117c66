#include "app/Paths.h"

#include <climits>
#include <unistd.h>

namespace {
std::string& rootStorage() {
    static std::string root;
    return root;
}
} // namespace

void setDemoRoot(const std::string& root) {
    std::string r = root;
    while (r.size() > 1 && r.back() == '/')
        r.pop_back();
    rootStorage() = r;
}

const std::string& demoRoot() {
    return rootStorage();
}

std::string resolveDataPath(const std::string& relative) {
    const std::string& root = rootStorage();
    if (root.empty() || relative.empty() || relative[0] == '/')
        return relative;
    return root + "/" + relative;
}

std::string executableDirectory() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return std::string();
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash ? slash : 1);
}
