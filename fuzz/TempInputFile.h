#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

// One temporary file per fuzz process for targets whose loader reads a path: each input is written
// over it. Removed when the process ends.
class TempInputFile {
public:
    TempInputFile() {
        char name[] = "/tmp/vorndle-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) {
            std::perror("fuzz: mkstemp");
            std::exit(1);
        }
        close(fd);
        path_ = name;
    }
    ~TempInputFile() { std::remove(path_.c_str()); }
    TempInputFile(const TempInputFile&) = delete;
    TempInputFile& operator=(const TempInputFile&) = delete;

    // Replaces the file's contents with the input; answers its path.
    const std::string& write(const uint8_t* data, size_t size) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return path_;
    }

private:
    std::string path_;
};
