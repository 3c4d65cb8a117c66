#include "core/FileInputStream.h"
#include "core/FileOutputStream.h"
#include "core/GzipInputStream.h"
#include "core/GzipOutputStream.h"
#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

void writeSample(OutputStream& out) {
    out.writeUInt32(0x4C564E45);
    out.writeInt32(-2);
    out.writeUInt16(0xBEEF);
    out.writeFloat(1.5f);
    out.writeUInt8(7);
}

void expectSample(InputStream& in) {
    uint32_t u = 0;
    int32_t i = 0;
    uint16_t s = 0;
    float f = 0;
    uint8_t b = 0;
    ASSERT_TRUE(in.readUInt32(u));
    ASSERT_TRUE(in.readInt32(i));
    ASSERT_TRUE(in.readUInt16(s));
    ASSERT_TRUE(in.readFloat(f));
    ASSERT_TRUE(in.readUInt8(b));
    EXPECT_EQ(u, 0x4C564E45u);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(s, 0xBEEF);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(in.position(), 15u);
    EXPECT_FALSE(in.readUInt8(b)) << "read past the end";
    EXPECT_TRUE(in.failed());
}

TEST(StreamTest, MemoryRoundTripIsLittleEndianAndChecked) {
    MemoryOutputStream out;
    writeSample(out);
    ASSERT_EQ(out.bytes().size(), 15u);
    EXPECT_EQ(out.bytes()[0], 'E');
    EXPECT_EQ(out.bytes()[3], 'L');
    MemoryInputStream in(out.bytes().data(), out.bytes().size());
    EXPECT_EQ(in.remaining(), 15);
    expectSample(in);
}

TEST(StreamTest, ShortReadFailsAndStaysFailed) {
    const unsigned char bytes[3] = {1, 2, 3};
    MemoryInputStream in(bytes, 3);
    uint32_t v;
    EXPECT_FALSE(in.readUInt32(v));
    EXPECT_TRUE(in.failed());
    uint8_t b;
    EXPECT_FALSE(in.readUInt8(b)) << "a failed stream must not deliver later bytes";
}

TEST(StreamTest, CanHoldGuardsCountsWithoutOverflow) {
    const unsigned char bytes[80] = {};
    MemoryInputStream in(bytes, sizeof bytes);
    EXPECT_TRUE(in.canHold(2, 40));
    EXPECT_FALSE(in.canHold(3, 40));
    EXPECT_FALSE(in.canHold(UINT64_MAX, 40));
    EXPECT_FALSE(in.canHold(0x80000000u, 0x80000000u)) << "product would overflow 32 bits";
}

TEST(StreamTest, FilesAndGzipFilesRoundTrip) {
    TempDir dir;
    {
        FileOutputStream out(dir.file("plain.bin"));
        ASSERT_TRUE(out.isOpen());
        writeSample(out);
        ASSERT_TRUE(out.close());
    }
    {
        FileInputStream in(dir.file("plain.bin"));
        ASSERT_TRUE(in.isOpen());
        EXPECT_EQ(in.remaining(), 15);
        expectSample(in);
    }
    {
        GzipOutputStream out(dir.file("packed.gz"));
        ASSERT_TRUE(out.isOpen());
        writeSample(out);
        ASSERT_TRUE(out.close());
    }
    {
        GzipInputStream in(dir.file("packed.gz"));
        ASSERT_TRUE(in.isOpen());
        EXPECT_EQ(in.remaining(), -1);
        EXPECT_TRUE(in.canHold(1u << 30, 40)) << "unknown sizes defer to the reads";
        expectSample(in);
    }
}

TEST(StreamTest, MissingFilesAndFoldersDoNotOpen) {
    TempDir dir;
    FileInputStream missing(dir.file("nothing"));
    EXPECT_FALSE(missing.isOpen());
    uint8_t b;
    EXPECT_FALSE(missing.readUInt8(b));
    FileInputStream folder(dir.path());
    EXPECT_FALSE(folder.isOpen());
    GzipInputStream gzMissing(dir.file("nothing.gz"));
    EXPECT_FALSE(gzMissing.isOpen());
    FileOutputStream unwritable(dir.file("no/such/folder"));
    EXPECT_FALSE(unwritable.isOpen());
    EXPECT_FALSE(unwritable.writeUInt8(1));
}

TEST(StreamTest, TruncatedGzipComesUpShort) {
    TempDir dir;
    {
        GzipOutputStream out(dir.file("big.gz"));
        std::vector<unsigned char> data(100000);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<unsigned char>(i * 31 + (i >> 7));
        out.write(data.data(), data.size());
        ASSERT_TRUE(out.close());
    }
    FileInputStream whole(dir.file("big.gz"));
    std::vector<unsigned char> packed(static_cast<size_t>(whole.size()));
    ASSERT_TRUE(whole.read(packed.data(), packed.size()));
    ASSERT_TRUE(writeFile(dir.file("cut.gz"), packed.data(), packed.size() / 2));

    GzipInputStream in(dir.file("cut.gz"));
    std::vector<unsigned char> out(100000);
    EXPECT_FALSE(in.read(out.data(), out.size()));
}

} // namespace
