#pragma once

#include "core/InputStream.h"

#include <cstdio>

// Reads a file through stdio. The size is taken when the file is opened, so remaining() is exact.
class FileInputStream : public InputStream {
public:
    explicit FileInputStream(const std::string& path);
    ~FileInputStream() override;
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    uint64_t size() const { return size_; }
    int64_t remaining() const override;

protected:
    size_t readRaw(void* dst, size_t size) override;

private:
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
};
