// The example player run as a program, headless: it plays, ends by itself, and fails cleanly.
#include "support/DemoTree.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string player(const DemoTree& tree, const std::string& extra = "") {
    return DemoTree::exampleBinary() + " --root " + tree.root() +
           " --no-sound --no-dialog --no-message-box --size 320x180 --no-vsync " + extra;
}

TEST(PlayerRunTest, PlaysToTheEndOfItsTimelineAndExitsByItself) {
    DemoTree tree;
    std::string err;
    EXPECT_EQ(runCommand(player(tree), &err, 90), 0) << err;
    EXPECT_EQ(err.find("Failed to load demo"), std::string::npos) << err;
}

TEST(PlayerRunTest, FramesOptionEndsItEarly) {
    DemoTree tree;
    std::string err;
    EXPECT_EQ(runCommand(player(tree, "--frames 3"), &err, 60), 0) << err;
}

TEST(PlayerRunTest, HelpAndBadOptions) {
    std::string err;
    EXPECT_EQ(runCommand(DemoTree::exampleBinary() + " --help", &err), 0);
    EXPECT_EQ(runCommand(DemoTree::exampleBinary() + " --size huge", &err), 2);
    EXPECT_NE(err.find("--size"), std::string::npos) << err;
}

// Each broken tree must end with the message, a diagnostic naming the file, and exit code 0.
struct Breakage {
    const char* what;
    void (*apply)(const DemoTree&);
    const char* named; // a file or element the diagnostic must name
};

const Breakage breakages[] = {
    {"no demo.xml", [](const DemoTree& t) { t.remove("data/demo.xml"); }, "demo.xml"},
    {"malformed XML", [](const DemoTree& t) { t.edit("data/demo.xml", "</models>", "</modelz>"); },
     "demo.xml"},
    {"no song", [](const DemoTree& t) { t.edit("data/demo.xml", "<song ", "<tune "); }, "song"},
    {"unopenable song", [](const DemoTree& t) { t.write("data/hello.ogg", "not audio at all"); },
     "hello.ogg"},
    {"unknown format",
     [](const DemoTree& t) { t.edit("data/demo.xml", "format=\"rgba_8\"", "format=\"rgba_9\""); }, "rgba_9"},
    {"incomplete framebuffer",
     [](const DemoTree& t) {
         t.edit("data/demo.xml", "<attachment buffer=\"sceneColor\" type=\"color0\"/>", "");
         t.edit("data/demo.xml", "<attachment buffer=\"sceneDepth\" type=\"depth\"/>", "");
     },
     "fbo"},
    {"missing shader file", [](const DemoTree& t) { t.remove("data/shaders/composite.frag"); }, "composite"},
    {"shader that fails to compile",
     [](const DemoTree& t) { t.edit("data/shaders/scene.frag", "void main() {", "void main() { nonsense"); },
     "scene"},
    {"missing image", [](const DemoTree& t) { t.remove("data/textures/checker.png"); }, "checker"},
    {"broken mesh", [](const DemoTree& t) { t.write("data/models/ball.rmsh", "RMSH\x02\x01"); }, "ball"},
    {"broken include",
     [](const DemoTree& t) { t.write("data/shaders/scene.frag", "#include <absent.glsl>\n"); },
     "data/shaders/absent.glsl\" is missing"},
    {"empty loading shader", [](const DemoTree& t) { t.write("data/loading/loading.fs", ""); },
     "loading.fs: loading screen: empty shader"},
    {"loading picture is a folder",
     [](const DemoTree& t) {
         t.remove("data/loading/loading.jpg");
         std::filesystem::create_directory(t.path("data/loading/loading.jpg"));
     },
     "loading.jpg: open: is a directory"},
    {"undeclared mesh",
     [](const DemoTree& t) { t.edit("data/demo.xml", "<mesh name=\"ball\" file=\"ball.rmsh\"/>", ""); },
     "data/demo.xml: part \"hello\": no mesh named \"ball\" is declared"},
    {"undeclared program",
     [](const DemoTree& t) {
         t.edit("data/demo.xml", "<program name=\"scene\">", "<!--<program name=\"scene\">");
         t.edit("data/demo.xml", "</program>", "</program>-->");
     },
     "no program named \"scene\""},
    {"undeclared framebuffer",
     [](const DemoTree& t) { t.edit("data/demo.xml", "<fbo name=\"scene\">", "<fbo name=\"other\">"); },
     "no framebuffer named \"scene\""},
};

class BrokenTreeTest : public ::testing::TestWithParam<Breakage> {};

TEST_P(BrokenTreeTest, FailsToLoadCleanly) {
    DemoTree tree;
    GetParam().apply(tree);
    std::string err;
    EXPECT_EQ(runCommand(player(tree), &err, 60), 0) << err;
    EXPECT_NE(err.find("Failed to load demo"), std::string::npos) << err;
    EXPECT_NE(err.find(GetParam().named), std::string::npos) << "the diagnostic names the culprit:\n" << err;
}

INSTANTIATE_TEST_SUITE_P(Player, BrokenTreeTest, ::testing::ValuesIn(breakages),
                         [](const ::testing::TestParamInfo<Breakage>& info) {
                             std::string name = info.param.what;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
