#include "core/GzipInputStream.h"

#include <climits>

GzipInputStream::GzipInputStream(const std::string& path) : InputStream(path) {
    file_ = gzopen(path.c_str(), "rb");
    if (!file_) {
        setFailed();
        return;
    }
    gzbuffer(file_, 128 * 1024);
}

GzipInputStream::~GzipInputStream() {
    if (file_)
        gzclose(file_);
}

size_t GzipInputStream::readRaw(void* dst, size_t size) {
    if (!file_)
        return 0;
    unsigned char* out = static_cast<unsigned char*>(dst);
    size_t done = 0;
    while (done < size) {
        size_t want = size - done;
        unsigned chunk = want > (1u << 30) ? (1u << 30) : static_cast<unsigned>(want);
        int got = gzread(file_, out + done, chunk);
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}
