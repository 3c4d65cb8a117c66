#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A sink of bytes. Numbers are written least significant byte first; a failed write makes the
// stream fail for good, so a caller may check once at the end.
class OutputStream {
public:
    virtual ~OutputStream() = default;

    bool write(const void* src, size_t size);
    bool failed() const { return failed_; }
    const std::string& name() const { return name_; }

    bool writeUInt8(uint8_t v) { return write(&v, 1); }
    bool writeUInt16(uint16_t v);
    bool writeUInt32(uint32_t v);
    bool writeInt32(int32_t v) { return writeUInt32(static_cast<uint32_t>(v)); }
    bool writeFloat(float v);

protected:
    explicit OutputStream(std::string name) : name_(std::move(name)) {}
    virtual bool writeRaw(const void* src, size_t size) = 0;
    void setFailed() { failed_ = true; }

private:
    std::string name_;
    bool failed_ = false;
};
