#pragma once

#include "core/OutputStream.h"

#include <cstdio>

// Writes a file through stdio; close() reports whether everything reached the file.
class FileOutputStream : public OutputStream {
public:
    explicit FileOutputStream(const std::string& path);
    ~FileOutputStream() override;
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    bool close();

protected:
    bool writeRaw(const void* src, size_t size) override;

private:
    std::FILE* file_ = nullptr;
};
