#pragma once

#include "core/OutputStream.h"

#include <zlib.h>

// Writes a gzip file through zlib's gz functions; close() reports whether it was all written.
class GzipOutputStream : public OutputStream {
public:
    explicit GzipOutputStream(const std::string& path, int level = 9);
    ~GzipOutputStream() override;
    GzipOutputStream(const GzipOutputStream&) = delete;
    GzipOutputStream& operator=(const GzipOutputStream&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    bool close();

protected:
    bool writeRaw(const void* src, size_t size) override;

private:
    gzFile file_ = nullptr;
};
