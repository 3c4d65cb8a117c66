#include "core/GzipOutputStream.h"

GzipOutputStream::GzipOutputStream(const std::string& path, int level) : OutputStream(path) {
    char mode[4] = {'w', 'b', static_cast<char>('0' + (level < 0 ? 6 : level > 9 ? 9 : level)), 0};
    file_ = gzopen(path.c_str(), mode);
    if (!file_)
        setFailed();
}

GzipOutputStream::~GzipOutputStream() {
    close();
}

bool GzipOutputStream::close() {
    if (!file_)
        return false;
    bool ok = gzclose(file_) == Z_OK;
    file_ = nullptr;
    if (!ok)
        setFailed();
    return ok && !failed();
}

bool GzipOutputStream::writeRaw(const void* src, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(src);
    while (size > 0) {
        unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
        if (gzwrite(file_, p, chunk) != static_cast<int>(chunk))
            return false;
        p += chunk;
        size -= chunk;
    }
    return true;
}
