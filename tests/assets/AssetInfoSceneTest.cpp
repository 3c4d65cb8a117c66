// assetinfo's scene dump over the hello example's data tree (needs an X display).
#include "ToolRun.h"
#include "support/DemoTree.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

TEST(AssetInfoSceneTest, PrintsEveryNodeInSceneOrderAtTheBeat) {
    TempDir dir;
    std::ofstream(dir.file("s.xml")) << R"(<scene>
  <camera name="eye" fov="50"><transform><position x="0" y="2" z="10"/></transform></camera>
  <group name="stage" disabled=""><transform><position x="1" y="0" z="0"/></transform>
    <pointlight name="lamp" radius="4"><transform><position><x><envelope><key value="0" time="0" type="3"/>
      <key value="8" time="8" type="3"/></envelope></x><y><envelope><key value="1"/></envelope></y>
      <z><envelope><key value="0"/></envelope></z></position></transform></pointlight>
  </group></scene>)";
    const std::string root = DemoTree::exampleDataDir() + "/..";
    ToolResult r = runTool("assetinfo", "--root " + root + " --at 4 " + dir.file("s.xml"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string file = "{\"file\":\"" + dir.file("s.xml") + "\",\"kind\":\"node\",";
    EXPECT_EQ(r.out,
              file +
                  "\"index\":0,\"name\":\"\",\"class\":\"Group\",\"kindCode\":257,\"parent\":-1,"
                  "\"enabled\":true,\"position\":[0,0,0]}\n" +
                  file +
                  "\"index\":1,\"name\":\"eye\",\"class\":\"Camera\",\"kindCode\":512,\"parent\":0,"
                  "\"enabled\":true,\"position\":[0,2,10],\"fov\":50,\"nearZ\":1,\"farZ\":1024}\n" +
                  file +
                  "\"index\":2,\"name\":\"stage\",\"class\":\"Group\",\"kindCode\":257,\"parent\":0,"
                  "\"enabled\":false,\"position\":[1,0,0]}\n" +
                  file +
                  "\"index\":3,\"name\":\"lamp\",\"class\":\"PointLight\",\"kindCode\":2049,\"parent\":2,"
                  "\"enabled\":true,\"position\":[5,1,0],\"colour\":[1,1,1],\"intensity\":1,"
                  "\"shadowIntensity\":1,\"radius\":4,\"particleRadius\":0}\n");
}

TEST(AssetInfoSceneTest, AFileThatDoesNotLoadGivesOneLineAndStatusOne) {
    TempDir dir;
    std::ofstream(dir.file("bad.xml")) << "<scene>\n<teapot/>\n</scene>\n";
    ToolResult r =
        runTool("assetinfo", "--root " + DemoTree::exampleDataDir() + "/.. " + dir.file("bad.xml"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err, dir.file("bad.xml") + ": line 2: teapot: unknown element\n");
}

} // namespace
