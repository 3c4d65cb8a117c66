#include "ToolRun.h"
#include "support/ImageFiles.h"
#include "support/MeshFiles.h"

#include "assets/MeshWriter.h"
#include "assets/PNGLoader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>

namespace {

size_t lines(const std::string& s) {
    return size_t(std::count(s.begin(), s.end(), '\n'));
}

TEST(AssetInfoTest, DescribesMeshesExactly) {
    TempDir dir;
    ASSERT_TRUE(MeshWriter::writeFile(dir.file("m.rmzh"),
                                      sampleMesh(MeshPosition | MeshTexCoord | MeshSkin, 0x0102, 2)));
    ToolResult r = runTool("assetinfo", dir.file("m.rmzh"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"file\":\"" + dir.file("m.rmzh") +
                  "\",\"kind\":\"mesh\",\"version\":258,\"flags\":41,\"vertexCount\":4,\"vertexSize\":28,"
                  "\"elements\":[{\"semantic\":\"POSITION\",\"offset\":0,\"components\":3},"
                  "{\"semantic\":\"TEXCOORD\",\"offset\":12,\"components\":2},"
                  "{\"semantic\":\"BONE_INDEX\",\"offset\":20,\"components\":2}],"
                  "\"indexSize\":2,\"indexCount\":6,"
                  "\"bins\":[{\"first\":0,\"count\":3,\"lowest\":0,\"highest\":2,\"primitive\":4},"
                  "{\"first\":3,\"count\":3,\"lowest\":0,\"highest\":3,\"primitive\":4}],"
                  "\"bones\":[\"hip\",\"knee\"],\"influences\":[[0,0.25],[1,0.75],[1,1]],"
                  "\"bounds\":[{\"min\":[0,0,0],\"max\":[1,1,0]},{\"min\":[-1,-2,-3],\"max\":[1,2,3]}]}\n");
    EXPECT_TRUE(r.err.empty());
}

TEST(AssetInfoTest, ImagesCarryTheCrcOfTheDecodedRows) {
    TempDir dir;
    PngSpec s;
    s.width = 2;
    s.height = 2;
    s.colorType = PNG_COLOR_TYPE_RGBA;
    s.rows = {255, 128, 0, 128, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::vector<uint8_t> png = encodePng(s);
    ASSERT_TRUE(writeFile(dir.file("a.PNG"), png.data(), png.size()));
    for (bool premultiply : {false, true}) {
        PNGLoader loader;
        loader.setPremultiply(premultiply);
        DecodedImage image;
        ASSERT_TRUE(loader.decode(dir.file("a.PNG"), image));
        uLong crc = crc32(crc32(0, Z_NULL, 0), image.pixels.data(), uInt(image.pixels.size()));
        ToolResult r =
            runTool("assetinfo", std::string(premultiply ? "--premultiply " : "") + dir.file("a.PNG"));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out,
                  "{\"file\":\"" + dir.file("a.PNG") +
                      "\",\"kind\":\"image\",\"width\":2,\"height\":2,\"channels\":4,\"format\":\"rgba_8\","
                      "\"crc32\":" +
                      std::to_string(crc) + "}\n");
    }
    std::vector<uint8_t> grey(4 * 4, 77);
    std::vector<uint8_t> jpg = encodeJpeg(4, 4, 1, grey);
    ASSERT_TRUE(writeFile(dir.file("g.jpeg"), jpg.data(), jpg.size()));
    ToolResult r = runTool("assetinfo", dir.file("g.jpeg"));
    EXPECT_NE(r.out.find("\"channels\":1,\"format\":\"r_8\""), std::string::npos) << r.out;
}

TEST(AssetInfoTest, SamplesEveryEnvelopeInDocumentOrder) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("s.xml"),
                          "<scene><node><envelope pre=\"1\" post=\"1\">"
                          "<key time=\"0\" value=\"0\" type=\"3\"/><key time=\"1\" value=\"2\" "
                          "type=\"3\"/></envelope></node><envelope/></scene>"));
    ToolResult r = runTool("assetinfo", "--sample 0:1:3 " + dir.file("s.xml"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "{\"file\":\"" + dir.file("s.xml") +
            "\",\"kind\":\"envelopes\",\"envelopes\":[{\"pre\":1,\"post\":1,\"keys\":2,\"values\":[0,1,2]},"
            "{\"pre\":0,\"post\":0,\"keys\":0,\"values\":[0,0,0]}]}\n");
}

TEST(AssetInfoTest, InvalidInputGivesOneLineAndStatusOne) {
    TempDir dir;
    std::vector<uint8_t> mesh = serialize(sampleMesh(MeshPosition, 0x0102, 2));
    ASSERT_TRUE(writeFile(dir.file("cut.rmsh"), mesh.data(), mesh.size() - 5));
    ASSERT_TRUE(writeFile(dir.file("bad.png"), "not a png"));
    ASSERT_TRUE(writeFile(dir.file("bad.xml"), "<scene><envelope></scene>"));
    ASSERT_TRUE(writeFile(dir.file("ok.rmsh"), mesh.data(), mesh.size()));
    for (const std::string& args :
         {dir.file("cut.rmsh"), dir.file("bad.png"), "--sample 0:1:2 " + dir.file("bad.xml"),
          dir.file("x.txt"), dir.file("missing.jpg")}) {
        ToolResult r = runTool("assetinfo", args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_TRUE(r.out.empty()) << args;
        EXPECT_EQ(lines(r.err), 1u) << args << ": " << r.err;
    }
    // Good files are still described when another fails.
    ToolResult r = runTool("assetinfo", dir.file("cut.rmsh") + " " + dir.file("ok.rmsh"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.out), 1u);
    EXPECT_NE(r.out.find("ok.rmsh"), std::string::npos);
    EXPECT_EQ(runTool("assetinfo", "--help").status, 0);
    EXPECT_EQ(runTool("meshtool", "--help").status, 0);
}

} // namespace
