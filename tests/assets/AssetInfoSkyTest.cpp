#include "ToolRun.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

#include "atmosphere/AtmosphereModel.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* kScene = "<scene><group><atmoslight><atmosphere>"
                               "<latitude value=\"50\"/><juliandate value=\"172\"/><turbidity value=\"3\"/>"
                               "<scattering rayleighfactor=\"900\" miefactor=\"0.8\"/>"
                               "</atmosphere></atmoslight></group>"
                               "<atmosphere><latitude value=\"-30\"/></atmosphere></scene>";

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

TEST(AssetInfoSkyTest, SamplesTheFirstAtmosphereOverTheHours) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("sky.xml"), kScene));
    ToolResult r = runTool("assetinfo", "--sky 6:18:3 " + dir.file("sky.xml"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);

    AtmosphereModel model;
    model.latitude = float(50 * 0.017453292);
    model.julianDay = 172;
    model.setTurbidity(3);
    model.setScattering(900, 0.8f);
    std::string expected;
    for (float hour : {6.0f, 12.0f, 18.0f}) {
        model.setTimeOfDay(hour);
        model.updateFromCamera(Mat4::identity(), Vec3());
        float block[AtmosphereModel::kBlockFloats];
        model.blockValues(block);
        expected += "{\"file\":\"" + dir.file("sky.xml") +
                    "\",\"kind\":\"sky\",\"timeOfDay\":" + number(hour) +
                    ",\"theta\":" + number(model.theta) + ",\"phi\":" + number(model.phi) + ",\"block\":[";
        for (int i = 0; i < AtmosphereModel::kBlockFloats; ++i)
            expected += (i ? "," : "") + number(block[i]);
        expected += "]}\n";
    }
    EXPECT_EQ(r.out, expected);

    ToolResult one = runTool("assetinfo", "--sky 9.5:20:1 " + dir.file("sky.xml"));
    EXPECT_NE(one.out.find("\"timeOfDay\":9.5,"), std::string::npos) << one.out;
}

TEST(AssetInfoSkyTest, DrawsAPictureOfTheDay) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("sky.xml"), kScene));
    ToolResult r =
        runTool("assetinfo", "--sky 0:24:49 --plot " + dir.file("day.png") + " " + dir.file("sky.xml"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string png = readText(dir.file("day.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.compare(1, 3, "PNG"), 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 49);

    EXPECT_EQ(runTool("assetinfo", "--plot " + dir.file("x.png") + " " + dir.file("sky.xml")).status, 1);
}

TEST(AssetInfoSkyTest, UnreadableSkiesGiveOneLineEach) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("none.xml"), "<scene><group/></scene>"));
    ASSERT_TRUE(writeFile(dir.file("bad.xml"),
                          "<scene>\n<atmosphere><timeofday value=\"noon\"/></atmosphere></scene>"));
    ASSERT_TRUE(writeFile(dir.file("ok.xml"), kScene));
    ToolResult r = runTool("assetinfo", "--sky 0:1:2 " + dir.file("none.xml") + " " + dir.file("bad.xml") +
                                            " " + dir.file("missing.xml") + " " + dir.file("ok.xml"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 3) << r.err;
    EXPECT_NE(r.err.find("bad.xml: line 2: timeofday"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << "the readable file is still described";
    EXPECT_EQ(runTool("assetinfo", "--sky 0:1:0 " + dir.file("ok.xml")).status, 1);
}

} // namespace
