#include "core/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
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

namespace {
bool isDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

std::string demoRootFor(const std::string& executable) {
    const size_t slash = executable.rfind('/');
    if (slash == std::string::npos)
        return ".";
    const std::string folder = executable.substr(0, slash ? slash : 1);
    if (isDirectory(folder + "/data"))
        return folder;
    const std::string name = executable.substr(slash + 1);
    const size_t up = executable.rfind('/', slash ? slash - 1 : 0);
    if (slash && up != std::string::npos) {
        const std::string installed = executable.substr(0, up) + "/share/games/" + name;
        if (isDirectory(installed + "/data"))
            return installed;
    }
    return folder;
}

std::string defaultDemoRoot() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return std::string();
    return demoRootFor(std::string(buffer, static_cast<size_t>(n)));
}

std::string unreadableFileReason(const std::string& path) {
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0)
        return errno == ENOENT ? "missing file"
                               : std::string("cannot be examined (") + std::strerror(errno) + ")";
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) {
        if (errno == ELOOP)
            return "symbolic link loop";
        if (errno == ENOENT)
            return "dangling symbolic link";
        return std::string("cannot be examined (") + std::strerror(errno) + ")";
    }
    if (S_ISDIR(target.st_mode))
        return "is a directory";
    if (!S_ISREG(target.st_mode))
        return "is not a regular file";
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::string("cannot be opened (") + std::strerror(errno) + ")";
    std::fclose(file);
    return std::string();
}
