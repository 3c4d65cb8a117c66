#include "assets/RAWMeshLoader.h"

#include "assets/Mesh.h"
#include "core/Diagnostics.h"
#include "core/FileInputStream.h"
#include "core/GzipInputStream.h"
#include "core/Paths.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t tagOf(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

constexpr uint32_t tagRMSH = tagOf("RMSH");
constexpr uint32_t tagVTXA = tagOf("VTXA");
constexpr uint32_t tagIDX = tagOf("IDX ");
constexpr uint32_t tagIBIN = tagOf("IBIN");
constexpr uint32_t tagSKIN = tagOf("SKIN");
constexpr uint32_t tagBNDS = tagOf("BNDS");
constexpr uint32_t chunkVersion = 0x0101;
constexpr size_t boneNameBytes = 128;
constexpr size_t binBytes = 24;
constexpr size_t influenceBytes = 12;
constexpr size_t boxBytes = 24;

bool validPrimitive(uint32_t mode) {
    return mode <= 6 || (mode >= 10 && mode <= 14);
}

class MeshReader {
public:
    MeshReader(InputStream& in, MeshData& out) : in_(in), out_(out) {}

    bool read();

private:
    bool fail(const char* chunk, const char* format, ...) __attribute__((format(printf, 3, 4)));
    bool readTag(const char* chunk, uint32_t expected);
    bool readPayload(const char* chunk, std::vector<uint8_t>& dst, uint64_t count, uint64_t itemSize);
    bool readVertices();
    bool readIndices();
    bool readBins();
    bool readSkin();
    bool readBounds();

    InputStream& in_;
    MeshData& out_;
    uint64_t chunkStart_ = 0;
};

bool MeshReader::fail(const char* chunk, const char* format, ...) {
    char place[64];
    std::snprintf(place, sizeof place, "%s chunk at byte %llu", chunk, (unsigned long long)chunkStart_);
    va_list args;
    va_start(args, format);
    diagnosticV(in_.name().c_str(), place, format, args);
    va_end(args);
    return false;
}

bool MeshReader::readTag(const char* chunk, uint32_t expected) {
    chunkStart_ = in_.position();
    uint32_t tag;
    if (!in_.readUInt32(tag))
        return fail(chunk, "the file ends before the chunk");
    if (tag != expected)
        return fail(chunk, "wrong tag 0x%08x", tag);
    return true;
}

// Counts come from the file, so they are checked against the bytes left before any allocation.
// Streams that cannot tell their size (gzip) are read in slices, so memory grows only with data
// that actually arrives.
bool MeshReader::readPayload(const char* chunk, std::vector<uint8_t>& dst, uint64_t count,
                             uint64_t itemSize) {
    if (!in_.canHold(count, itemSize))
        return fail(chunk, "%llu records of %llu bytes do not fit in the %lld bytes left",
                    (unsigned long long)count, (unsigned long long)itemSize, (long long)in_.remaining());
    if (itemSize != 0 && count > RAWMeshLoader::maxPayloadBytes / itemSize)
        return fail(chunk, "%llu records of %llu bytes are more than the reader accepts",
                    (unsigned long long)count, (unsigned long long)itemSize);
    uint64_t bytes = count * itemSize;
    if (in_.remaining() >= 0) {
        dst.resize(size_t(bytes));
        if (!in_.read(dst.data(), dst.size()))
            return fail(chunk, "the file ends inside the chunk");
        return true;
    }
    // Reserving the claimed size up front saves the copies and page faults of regrowth; the cap
    // keeps a lying count from reserving more than that before the data runs out.
    constexpr uint64_t slice = 8u << 20;
    constexpr uint64_t speculative = 64u << 20;
    dst.clear();
    dst.reserve(size_t(bytes < speculative ? bytes : speculative));
    while (dst.size() < bytes) {
        size_t at = dst.size();
        size_t step = size_t(bytes - at < slice ? bytes - at : slice);
        dst.resize(at + step);
        if (!in_.read(dst.data() + at, step)) {
            dst.clear();
            dst.shrink_to_fit();
            return fail(chunk, "the file ends inside the chunk");
        }
    }
    return true;
}

bool MeshReader::read() {
    chunkStart_ = 0;
    uint32_t tag;
    uint16_t version, unused;
    if (!in_.readUInt32(tag) || !in_.readUInt16(version) || !in_.readUInt16(unused))
        return fail("header", "the file is shorter than its header");
    if (tag != tagRMSH)
        return fail("header", "not a mesh file (tag 0x%08x)", tag);
    if (version != MeshData::version101 && version != MeshData::version102)
        return fail("header", "unsupported version 0x%04x", version);
    out_.version = version;
    return readVertices() && readIndices() && readBins() && ((out_.flags & MeshSkin) == 0 || readSkin()) &&
           (version != MeshData::version102 || readBounds());
}

bool MeshReader::readVertices() {
    if (!readTag("VTXA", tagVTXA))
        return false;
    uint16_t version, unused;
    uint32_t flags, count, size;
    if (!in_.readUInt16(version) || !in_.readUInt16(unused) || !in_.readUInt32(flags) ||
        !in_.readUInt32(count) || !in_.readUInt32(size))
        return fail("VTXA", "the file ends inside the chunk header");
    if (version != chunkVersion)
        return fail("VTXA", "unsupported chunk version 0x%04x", version);
    uint32_t expected = MeshData::vertexSizeFor(flags);
    if (size != expected)
        return fail("VTXA", "vertex size %u does not match the %u bytes of flags 0x%02x", size, expected,
                    flags & 0x3f);
    out_.flags = flags;
    out_.vertexCount = count;
    out_.vertexSize = size;
    out_.elements = MeshData::elementsFor(flags);
    return readPayload("VTXA", out_.vertices, count, size);
}

bool MeshReader::readIndices() {
    if (!readTag("IDX ", tagIDX))
        return false;
    uint16_t version, size;
    uint32_t count;
    if (!in_.readUInt16(version) || !in_.readUInt16(size) || !in_.readUInt32(count))
        return fail("IDX ", "the file ends inside the chunk header");
    if (version != chunkVersion)
        return fail("IDX ", "unsupported chunk version 0x%04x", version);
    if (size != 2 && size != 4)
        return fail("IDX ", "index size %u is neither 2 nor 4", size);
    out_.indexSize = size;
    out_.indexCount = count;
    if (!readPayload("IDX ", out_.indices, count, size))
        return false;
    uint32_t vertices = out_.vertexCount;
    if (size == 2) {
        const uint8_t* p = out_.indices.data();
        for (uint32_t i = 0; i < count; ++i, p += 2) {
            uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
            if (v >= vertices)
                return fail("IDX ", "index %u refers to vertex %u of %u", i, v, vertices);
        }
    } else {
        const uint8_t* p = out_.indices.data();
        for (uint32_t i = 0; i < count; ++i, p += 4) {
            uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
            if (v >= vertices)
                return fail("IDX ", "index %u refers to vertex %u of %u", i, v, vertices);
        }
    }
    return true;
}

bool MeshReader::readBins() {
    if (!readTag("IBIN", tagIBIN))
        return false;
    uint16_t version, unused;
    uint32_t count;
    if (!in_.readUInt16(version) || !in_.readUInt16(unused) || !in_.readUInt32(count))
        return fail("IBIN", "the file ends inside the chunk header");
    if (version != chunkVersion)
        return fail("IBIN", "unsupported chunk version 0x%04x", version);
    std::vector<uint8_t> raw;
    if (!readPayload("IBIN", raw, count, binBytes))
        return false;
    out_.bins.resize(count);
    // A bin addresses the index data; a mesh without indices is drawn from its vertices directly.
    uint64_t limit = out_.indexCount ? out_.indexCount : out_.vertexCount;
    for (uint32_t i = 0; i < count; ++i) {
        IndexBin& bin = out_.bins[i];
        std::memcpy(&bin, raw.data() + size_t(i) * binBytes, binBytes);
        if (uint64_t(bin.first) + bin.count > limit)
            return fail("IBIN", "bin %u (first %u, count %u) lies outside the %llu %s", i, bin.first,
                        bin.count, (unsigned long long)limit, out_.indexCount ? "indices" : "vertices");
        if (!validPrimitive(bin.primitive))
            return fail("IBIN", "bin %u has unknown primitive mode %u", i, bin.primitive);
        if (out_.indexCount && bin.count && (bin.lowest > bin.highest || bin.highest >= out_.vertexCount))
            return fail("IBIN", "bin %u vertex range %u..%u is outside the %u vertices", i, bin.lowest,
                        bin.highest, out_.vertexCount);
    }
    return true;
}

bool MeshReader::readSkin() {
    if (!readTag("SKIN", tagSKIN))
        return false;
    uint32_t version, names, influences;
    if (!in_.readUInt32(version) || !in_.readUInt32(names) || !in_.readUInt32(influences))
        return fail("SKIN", "the file ends inside the chunk header");
    if (version != chunkVersion)
        return fail("SKIN", "unsupported chunk version 0x%x", version);
    // Both tables must fit together, checked before either is allocated.
    uint64_t total = uint64_t(names) * boneNameBytes + uint64_t(influences) * influenceBytes;
    if (!in_.canHold(total, 1))
        return fail("SKIN", "%u bone names and %u influences do not fit in the %lld bytes left", names,
                    influences, (long long)in_.remaining());
    std::vector<uint8_t> raw;
    if (!readPayload("SKIN", raw, names, boneNameBytes))
        return false;
    out_.boneNames.reserve(names);
    for (uint32_t i = 0; i < names; ++i) {
        const char* field = reinterpret_cast<const char*>(raw.data()) + size_t(i) * boneNameBytes;
        const void* end = std::memchr(field, 0, boneNameBytes);
        if (!end)
            return fail("SKIN", "bone name %u has no terminating NUL", i);
        out_.boneNames.emplace_back(field, static_cast<const char*>(end) - field);
    }
    if (!readPayload("SKIN", raw, influences, influenceBytes))
        return false;
    out_.influences.resize(influences);
    for (uint32_t i = 0; i < influences; ++i) {
        const uint8_t* p = raw.data() + size_t(i) * influenceBytes;
        SkinInfluence& s = out_.influences[i];
        std::memcpy(&s.bone, p, 4);
        std::memcpy(&s.weight, p + 8, 4);
        if (s.bone >= names)
            return fail("SKIN", "influence %u names bone %u of %u", i, s.bone, names);
    }
    return true;
}

bool MeshReader::readBounds() {
    if (!readTag("BNDS", tagBNDS))
        return false;
    uint32_t version, count;
    if (!in_.readUInt32(version) || !in_.readUInt32(count))
        return fail("BNDS", "the file ends inside the chunk header");
    if (version != chunkVersion)
        return fail("BNDS", "unsupported chunk version 0x%x", version);
    // Drawables look their box up by bin number.
    if (count != out_.bins.size())
        return fail("BNDS", "%u boxes for %zu bins", count, out_.bins.size());
    std::vector<uint8_t> raw;
    if (!readPayload("BNDS", raw, count, boxBytes))
        return false;
    out_.bounds.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        float f[6];
        std::memcpy(f, raw.data() + size_t(i) * boxBytes, boxBytes);
        out_.bounds[i].setMinMax({f[0], f[1], f[2]}, {f[3], f[4], f[5]});
    }
    return true;
}

} // namespace

std::unique_ptr<InputStream> RAWMeshLoader::open(const std::string& path) {
    // A folder opens for reading on Linux and would read as a file that ends at once.
    if (std::string why = unreadableFileReason(path); !why.empty()) {
        diagnostic(path.c_str(), "open", "%s", why.c_str());
        return nullptr;
    }
    if (path.find(".rmzh") != std::string::npos) {
        auto in = std::make_unique<GzipInputStream>(path);
        if (in->isOpen())
            return in;
    } else {
        auto in = std::make_unique<FileInputStream>(path);
        if (in->isOpen())
            return in;
    }
    diagnostic(path.c_str(), "open", "cannot open the file");
    return nullptr;
}

bool RAWMeshLoader::read(InputStream& in, MeshData& out) {
    out = MeshData();
    MeshReader reader(in, out);
    if (reader.read())
        return true;
    out = MeshData();
    return false;
}

bool RAWMeshLoader::readFile(const std::string& path, MeshData& out) {
    out = MeshData();
    std::unique_ptr<InputStream> in = open(path);
    return in && read(*in, out);
}

Ref<SoftwareMesh> RAWMeshLoader::loadSoftware(const std::string& path) {
    std::unique_ptr<InputStream> in = open(path);
    if (!in)
        return nullptr;
    return loadSoftware(*in);
}

Ref<SoftwareMesh> RAWMeshLoader::loadSoftware(InputStream& in) {
    MeshData data;
    if (!read(in, data))
        return nullptr;
    return SoftwareMesh::fromData(data);
}

Ref<Mesh> RAWMeshLoader::load(const std::string& path) {
    std::unique_ptr<InputStream> in = open(path);
    if (!in)
        return nullptr;
    return loadFromStream(*in);
}

Ref<Mesh> RAWMeshLoader::loadFromStream(InputStream& in) {
    MeshData data;
    if (!read(in, data))
        return nullptr;
    return Mesh::fromData(data, in.name());
}
