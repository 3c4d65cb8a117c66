#pragma once

#include "core/InputStream.h"

#include <zlib.h>

// Reads a gzip file through zlib's gz functions, decompressing on the fly. The decompressed size
// is unknown in advance, so remaining() answers -1 and callers rely on short reads failing.
class GzipInputStream : public InputStream {
public:
    explicit GzipInputStream(const std::string& path);
    ~GzipInputStream() override;
    GzipInputStream(const GzipInputStream&) = delete;
    GzipInputStream& operator=(const GzipInputStream&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    int64_t remaining() const override { return -1; }

protected:
    size_t readRaw(void* dst, size_t size) override;

private:
    gzFile file_ = nullptr;
};
