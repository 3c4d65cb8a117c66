#include "app/capture/PngFrameFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

PngFrameFolder::PngFrameFolder(std::string folder, int width, int height)
    : folder_(std::move(folder)), writer_(width, height, true), path_(folder_.size() + 64) {
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
}

std::string PngFrameFolder::frameName(long index) {
    char name[40];
    std::snprintf(name, sizeof name, "frame_%06ld.png", index);
    return name;
}

bool PngFrameFolder::open(std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (!std::filesystem::is_directory(folder_)) {
        error = folder_ + ": the folder cannot be made (" + (ec ? ec.message() : "not a folder") + ")";
        return false;
    }
    if (::access(folder_.c_str(), W_OK | X_OK) != 0) {
        error = folder_ + ": the folder is not writable (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

bool PngFrameFolder::writeFrame(long index, const uint8_t* bgra, std::string& error) {
    std::snprintf(path_.data(), path_.size(), "%s/frame_%06ld.png", folder_.c_str(), index);
    return writer_.write(path_.data(), bgra, PngWriter::Bgra, static_cast<size_t>(writer_.width()) * 4, true,
                         error);
}

bool PngFrameFolder::finish(long, bool, std::string& path, std::string&) {
    path = folder_ + "/";
    return true;
}
