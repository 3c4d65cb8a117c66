#include "core/FileOutputStream.h"

FileOutputStream::FileOutputStream(const std::string& path) : OutputStream(path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        setFailed();
}

FileOutputStream::~FileOutputStream() {
    close();
}

bool FileOutputStream::close() {
    if (!file_)
        return false;
    bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok)
        setFailed();
    return ok && !failed();
}

bool FileOutputStream::writeRaw(const void* src, size_t size) {
    return file_ && std::fwrite(src, 1, size, file_) == size;
}
