#include "StateText.h"

#include "ReadFailure.h"
#include "core/Diagnostics.h"
#include "core/GzipOutputStream.h"
#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "post/BlitEngine.h"
#include "scene/Envelope.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <zlib.h>

namespace state_text {

namespace {

bool finite(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return std::isfinite(f);
}

class BinaryReader {
public:
    BinaryReader(const uint8_t* data, size_t size, const std::string& file)
        : in_(data, size, file), size_(size), fail_(file, "offset") {}

    bool read(PartState& out) {
        const vorndle_state::SectionList& sections = vorndle_state::sections();
        out.sections.assign(sections.size(), Section());
        for (size_t i = 0; i < sections.size(); ++i)
            if (!readSection(sections[i], out.sections[i]))
                return false;
        if (in_.position() != size_)
            return fail_(in_.position(), "%llu bytes follow the last section",
                         static_cast<unsigned long long>(size_ - in_.position()));
        return true;
    }

private:
    bool readSection(const SectionLayout& desc, Section& section) {
        const uint64_t start = in_.position();
        if (desc.magic) {
            char magic[4];
            if (!in_.read(magic, 4) || std::memcmp(magic, desc.magic, 4) != 0)
                return fail_(start, "[%s] does not start with \"%s\"", desc.name, desc.magic);
        }
        if (desc.kind == SectionKind::Envelope)
            return readEnvelope(desc, section.envelope);
        for (int f = 0; f < desc.fieldCount; ++f) {
            const FieldLayout& field = desc.fields[f];
            for (int n = 0; n < field.count; ++n) {
                const uint64_t at = in_.position();
                uint32_t word = 0;
                uint8_t byte = 0;
                switch (field.kind) {
                case FieldKind::Float:
                    if (!in_.readUInt32(word))
                        return shortFile(at, desc);
                    if (desc.finiteOnly && !finite(word))
                        return fail_(at, "[%s] %s is not a finite number", desc.name, field.name);
                    break;
                case FieldKind::Flag:
                    if (!in_.readUInt8(byte))
                        return shortFile(at, desc);
                    if (byte > 1)
                        return fail_(at, "[%s] %s is %u, not 0 or 1", desc.name, field.name, byte);
                    word = byte;
                    break;
                case FieldKind::PassCount: {
                    int32_t passes = 0;
                    if (!in_.readInt32(passes))
                        return shortFile(at, desc);
                    if (passes < 0 || passes > BlitEngine::kMaxPassCount)
                        return fail_(at, "[%s] %s is %d, outside 0..%d", desc.name, field.name, passes,
                                     BlitEngine::kMaxPassCount);
                    word = uint32_t(passes);
                    break;
                }
                }
                section.words.push_back(word);
            }
        }
        return true;
    }

    bool readEnvelope(const SectionLayout& desc, EnvelopeRecord& envelope) {
        const uint64_t start = in_.position();
        uint32_t magic = 0;
        int32_t count = 0;
        if (!in_.readUInt32(magic) || magic != Envelope::magic)
            return fail_(start, "[%s] is not an envelope record (no \"ENVL\")", desc.name);
        if (!in_.readInt32(envelope.pre) || !in_.readInt32(envelope.post) || !in_.readInt32(envelope.tag) ||
            !in_.readInt32(count))
            return shortFile(start, desc);
        if (count <= 0)
            return fail_(start, "[%s] has %d keys; an envelope needs at least one", desc.name, count);
        // The count comes from the file: check it against the bytes left before reserving anything.
        if (!in_.canHold(uint64_t(count), Envelope::binaryKeySize))
            return fail_(start, "[%s] claims %d keys, more than the %lld bytes left can hold", desc.name,
                         count, static_cast<long long>(in_.remaining()));
        envelope.keys.resize(size_t(count));
        for (Key& key : envelope.keys) {
            bool ok = in_.readFloat(key.value) && in_.readFloat(key.time) && in_.readInt32(key.shape) &&
                      in_.readFloat(key.tension) && in_.readFloat(key.continuity) && in_.readFloat(key.bias);
            for (float& p : key.param)
                ok = ok && in_.readFloat(p);
            if (!ok)
                return shortFile(start, desc);
        }
        return true;
    }

    bool shortFile(uint64_t at, const SectionLayout& desc) {
        return fail_(at, "the file ends inside [%s]", desc.name);
    }

    MemoryInputStream in_;
    size_t size_;
    ReadFailure fail_;
};

} // namespace

bool readBinary(const uint8_t* data, size_t size, const std::string& file, PartState& out) {
    return BinaryReader(data, size, file).read(out);
}

std::vector<uint8_t> writeBinary(const PartState& state) {
    MemoryOutputStream out;
    const vorndle_state::SectionList& sections = vorndle_state::sections();
    for (size_t i = 0; i < sections.size() && i < state.sections.size(); ++i) {
        const SectionLayout& desc = sections[i];
        const Section& section = state.sections[i];
        if (desc.magic)
            out.write(desc.magic, 4);
        if (desc.kind == SectionKind::Envelope) {
            const EnvelopeRecord& e = section.envelope;
            out.writeUInt32(Envelope::magic);
            out.writeInt32(e.pre);
            out.writeInt32(e.post);
            out.writeInt32(e.tag);
            out.writeInt32(int32_t(e.keys.size()));
            for (const Key& k : e.keys) {
                out.writeFloat(k.value);
                out.writeFloat(k.time);
                out.writeInt32(k.shape);
                out.writeFloat(k.tension);
                out.writeFloat(k.continuity);
                out.writeFloat(k.bias);
                for (float p : k.param)
                    out.writeFloat(p);
            }
            continue;
        }
        size_t word = 0;
        for (int f = 0; f < desc.fieldCount; ++f) {
            for (int n = 0; n < desc.fields[f].count; ++n, ++word) {
                const uint32_t value = word < section.words.size() ? section.words[word] : 0;
                if (desc.fields[f].kind == FieldKind::Flag)
                    out.writeUInt8(uint8_t(value));
                else
                    out.writeUInt32(value);
            }
        }
    }
    return out.bytes();
}

bool readStateFile(const std::string& path, PartState& out) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) {
        diagnostic(path.c_str(), "-", "cannot be opened");
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        const int got = gzread(file, chunk, sizeof chunk);
        if (got < 0) {
            int code = 0;
            const char* message = gzerror(file, &code);
            const std::string place = "offset " + std::to_string(bytes.size());
            diagnostic(path.c_str(), place.c_str(), "not a readable gzip stream (%s)", message);
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (bytes.size() + size_t(got) > kMaxFileBytes) {
            diagnostic(path.c_str(), "-", "decompresses to more than %zu bytes", kMaxFileBytes);
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    gzclose(file);
    return ok && readBinary(bytes.data(), bytes.size(), path, out);
}

bool writeStateFile(const std::string& path, const PartState& state) {
    const std::vector<uint8_t> bytes = writeBinary(state);
    GzipOutputStream out(path);
    if (!out.isOpen()) {
        diagnostic(path.c_str(), "-", "cannot be created");
        return false;
    }
    if (!out.write(bytes.data(), bytes.size()) || !out.close()) {
        diagnostic(path.c_str(), "-", "cannot be written");
        return false;
    }
    return true;
}

} // namespace state_text
