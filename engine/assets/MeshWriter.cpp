#include "assets/MeshWriter.h"

#include "core/Diagnostics.h"
#include "core/FileOutputStream.h"
#include "core/GzipOutputStream.h"

#include <cstring>

namespace {

bool consistent(const MeshData& m, const char* name) {
    const char* reason = nullptr;
    if (m.version != MeshData::version101 && m.version != MeshData::version102)
        reason = "unsupported version";
    else if (m.vertexSize != MeshData::vertexSizeFor(m.flags))
        reason = "vertex size does not match the flags";
    else if (m.vertices.size() != uint64_t(m.vertexCount) * m.vertexSize)
        reason = "vertex bytes do not match the vertex count";
    else if (m.indexSize != 2 && m.indexSize != 4)
        reason = "index size is neither 2 nor 4";
    else if (m.indices.size() != uint64_t(m.indexCount) * m.indexSize)
        reason = "index bytes do not match the index count";
    else if (m.version == MeshData::version102 && m.bounds.size() != m.bins.size())
        reason = "there must be one box per bin";
    else if (!(m.flags & MeshSkin) && (!m.boneNames.empty() || !m.influences.empty()))
        reason = "skin data without the skin flag";
    for (const std::string& bone : m.boneNames)
        if (bone.size() >= 128)
            reason = "a bone name is 128 bytes or longer";
    if (reason)
        diagnostic(name, "mesh", "%s", reason);
    return reason == nullptr;
}

void writeTag(OutputStream& out, const char* tag) {
    out.write(tag, 4);
}

} // namespace

bool MeshWriter::write(OutputStream& out, const MeshData& m) {
    if (!consistent(m, out.name().c_str()))
        return false;
    writeTag(out, "RMSH");
    out.writeUInt16(m.version);
    out.writeUInt16(0);

    writeTag(out, "VTXA");
    out.writeUInt16(0x0101);
    out.writeUInt16(0);
    out.writeUInt32(m.flags);
    out.writeUInt32(m.vertexCount);
    out.writeUInt32(m.vertexSize);
    out.write(m.vertices.data(), m.vertices.size());

    writeTag(out, "IDX ");
    out.writeUInt16(0x0101);
    out.writeUInt16(m.indexSize);
    out.writeUInt32(m.indexCount);
    out.write(m.indices.data(), m.indices.size());

    writeTag(out, "IBIN");
    out.writeUInt16(0x0101);
    out.writeUInt16(0);
    out.writeUInt32(uint32_t(m.bins.size()));
    for (const IndexBin& b : m.bins) {
        out.writeUInt32(b.first);
        out.writeUInt32(b.reserved);
        out.writeUInt32(b.count);
        out.writeUInt32(b.lowest);
        out.writeUInt32(b.highest);
        out.writeUInt32(b.primitive);
    }

    if (m.flags & MeshSkin) {
        writeTag(out, "SKIN");
        out.writeUInt32(0x101);
        out.writeUInt32(uint32_t(m.boneNames.size()));
        out.writeUInt32(uint32_t(m.influences.size()));
        for (const std::string& bone : m.boneNames) {
            char field[128] = {};
            std::memcpy(field, bone.data(), bone.size());
            out.write(field, sizeof field);
        }
        for (const SkinInfluence& s : m.influences) {
            out.writeUInt32(s.bone);
            out.writeUInt32(0);
            out.writeFloat(s.weight);
        }
    }

    if (m.version == MeshData::version102) {
        writeTag(out, "BNDS");
        out.writeUInt32(0x101);
        out.writeUInt32(uint32_t(m.bounds.size()));
        for (const BoundingBox& b : m.bounds) {
            for (float f : {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z})
                out.writeFloat(f);
        }
    }
    if (out.failed())
        diagnostic(out.name().c_str(), "mesh", "cannot write the file");
    return !out.failed();
}

bool MeshWriter::writeFile(const std::string& path, const MeshData& mesh, bool gzip) {
    if (gzip || path.find(".rmzh") != std::string::npos) {
        GzipOutputStream out(path);
        if (!out.isOpen()) {
            diagnostic(path.c_str(), "open", "cannot create the file");
            return false;
        }
        return write(out, mesh) && out.close();
    }
    FileOutputStream out(path);
    if (!out.isOpen()) {
        diagnostic(path.c_str(), "open", "cannot create the file");
        return false;
    }
    return write(out, mesh) && out.close();
}
