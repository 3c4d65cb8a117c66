#include "core/FileInputStream.h"

#include <sys/stat.h>

FileInputStream::FileInputStream(const std::string& path) : InputStream(path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        setFailed();
        return;
    }
    struct stat st;
    if (fstat(fileno(file_), &st) != 0 || !S_ISREG(st.st_mode)) {
        // Directories and devices have no byte count to check reads against.
        std::fclose(file_);
        file_ = nullptr;
        setFailed();
        return;
    }
    size_ = static_cast<uint64_t>(st.st_size);
}

FileInputStream::~FileInputStream() {
    if (file_)
        std::fclose(file_);
}

int64_t FileInputStream::remaining() const {
    if (!file_ || position() > size_)
        return 0;
    return static_cast<int64_t>(size_ - position());
}

size_t FileInputStream::readRaw(void* dst, size_t size) {
    return file_ ? std::fread(dst, 1, size, file_) : 0;
}
