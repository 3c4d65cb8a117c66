#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A source of bytes with checked reads: a read either delivers every byte asked for or fails,
// and a failed stream stays failed. Numbers are stored least significant byte first.
class InputStream {
public:
    virtual ~InputStream() = default;

    // Reads exactly `size` bytes into `dst`; false on a short read or an earlier failure.
    [[nodiscard]] bool read(void* dst, size_t size);
    [[nodiscard]] bool skip(size_t size);

    // Bytes known to remain, or -1 when the stream cannot tell (compressed streams).
    virtual int64_t remaining() const = 0;
    // Offset of the next byte from the start of the (decompressed) data.
    uint64_t position() const { return position_; }
    bool failed() const { return failed_; }
    // Where the bytes come from, for diagnostics.
    const std::string& name() const { return name_; }

    // True if `count` items of `itemSize` bytes can possibly remain. Unknown sizes say yes: the
    // reads that follow still fail cleanly when they come up short.
    bool canHold(uint64_t count, uint64_t itemSize) const;

    [[nodiscard]] bool readUInt8(uint8_t& v) { return read(&v, 1); }
    [[nodiscard]] bool readUInt16(uint16_t& v);
    [[nodiscard]] bool readUInt32(uint32_t& v);
    [[nodiscard]] bool readInt32(int32_t& v);
    [[nodiscard]] bool readFloat(float& v);

protected:
    explicit InputStream(std::string name) : name_(std::move(name)) {}
    // Reads up to `size` bytes; answers how many were read (fewer only at the end or on error).
    virtual size_t readRaw(void* dst, size_t size) = 0;
    void setFailed() { failed_ = true; }

private:
    std::string name_;
    uint64_t position_ = 0;
    bool failed_ = false;
};
