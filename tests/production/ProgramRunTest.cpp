// build/vorndle run as a program on a private copy of its data tree, headless.
#include "support/DemoTree.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

const std::string kProgram = VORNDLE_BINARY_DIR "/vorndle";

struct VorndleTree : DemoTree {
    VorndleTree() : DemoTree(VORNDLE_BINARY_DIR "/data") {}
    std::string command(const std::string& extra) const {
        return kProgram + " --root " + root() +
               " --no-dialog --no-sound --no-message-box --size 320x180 --no-vsync " + extra;
    }
};

size_t lineCount(const std::string& text) {
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

} // namespace

// The whole demo would take its song's 132 seconds in real time; live play starts near the end
// (beat 258, six beats of the outro) and must end by itself at beat 264, while an offline render at
// one frame per second goes through every part from beat 0 to the end.
TEST(VorndleProgram, PlaysTheLastBeatsLiveAndEndsByItself) {
    VorndleTree tree;
    std::string err;
    EXPECT_EQ(runCommand(tree.command("--from 258"), &err, 120), 0) << err;
    EXPECT_TRUE(err.empty()) << err;
}

TEST(VorndleProgram, RendersEveryPartFromStartToEnd) {
    VorndleTree tree;
    const std::string frames = tree.path("frames/");
    std::string err;
    ASSERT_EQ(runCommand(tree.command("--render " + frames + " --fps 1"), &err, 600), 0) << err;
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(frames))
        count += entry.path().extension() == ".png";
    EXPECT_GE(count, 131u) << "264 beats at 120 per minute are 132 seconds";
    EXPECT_LE(count, 133u);
}

// Two frames, one in each of two parts: the table has a block per part with the frame's passes,
// the JSON a line per frame; a JSON file that cannot be written ends the run before any frame.
TEST(VorndleProgram, ProfilesEachPartOfARender) {
    VorndleTree tree;
    const std::string json = tree.path("frames.json");
    std::string err;
    ASSERT_EQ(runCommand(tree.command("--render " + tree.path("frames/") +
                                      " --from 104 --to 108 --fps 1 --profile --profile-json " + json),
                         &err, 300),
              0)
        << err;
    const size_t intro = err.find("part intro\n"), windmill = err.find("part windmill\n");
    ASSERT_NE(intro, std::string::npos) << err;
    ASSERT_NE(windmill, std::string::npos) << err;
    for (const char* pass : {"  total ", "  gbuffer ", "  light atmospherical shadowed ", "  post fxaa ",
                             "  composite ", "  overlays "}) {
        EXPECT_NE(err.find(pass, intro), std::string::npos) << pass << "\n" << err;
        EXPECT_NE(err.find(pass, windmill), std::string::npos) << pass << "\n" << err;
    }
    std::stringstream read;
    read << std::ifstream(json).rdbuf();
    const std::string text = read.str();
    EXPECT_EQ(lineCount(text), 2u) << text;
    EXPECT_NE(text.find("{\"frame\":0,\"beat\":104.0000,"), std::string::npos) << text;
    EXPECT_NE(text.find("{\"part\":\"windmill\",\"pass\":\"gbuffer\""), std::string::npos) << text;

    err.clear();
    EXPECT_EQ(
        runCommand(tree.command("--frames 2 --profile-json " + tree.path("missing/frames.json")), &err, 120),
        1);
    EXPECT_EQ(lineCount(err), 1u) << err;
}

TEST(VorndleProgram, BrokenProductionDataFailsWithOneLine) {
    struct Case {
        const char* what;
        void (*apply)(const VorndleTree&);
        const char* named;
    };
    const Case cases[] = {
        {"no state file", [](const VorndleTree& t) { t.remove("data/intro.dat"); }, "intro.dat"},
        {"state file not gzip", [](const VorndleTree& t) { t.write("data/windmill.dat", "plain text"); },
         "windmill.dat"},
        {"truncated state",
         [](const VorndleTree& t) {
             const std::string bytes = t.read("data/outro.dat");
             t.write("data/outro.dat", bytes.substr(0, bytes.size() / 2));
         },
         "outro.dat"},
        {"scene without cameras",
         [](const VorndleTree& t) {
             std::string scene = t.read("data/scenes/outro.xml");
             for (size_t at; (at = scene.find("<camera ")) != std::string::npos;)
                 scene.replace(at, 8, "<group ");
             for (size_t at; (at = scene.find("</camera>")) != std::string::npos;)
                 scene.replace(at, 9, "</group>");
             t.write("data/scenes/outro.xml", scene);
         },
         "outro.xml"},
        {"no backbuffer",
         [](const VorndleTree& t) {
             t.edit("data/demo.xml", "<fbo name=\"backbuffer\">", "<fbo name=\"frontbuffer\">");
         },
         "backbuffer"},
    };
    for (const Case& c : cases) {
        VorndleTree tree;
        c.apply(tree);
        std::string err;
        EXPECT_EQ(runCommand(tree.command("--frames 2"), &err, 120), 0) << c.what << "\n" << err;
        EXPECT_NE(err.find("Failed to load demo"), std::string::npos) << c.what << "\n" << err;
        EXPECT_NE(err.find(c.named), std::string::npos) << c.what << "\n" << err;
        EXPECT_EQ(lineCount(err), 2u) << c.what << ": one diagnostic, then the message\n" << err;
    }
}

TEST(VorndleProgram, ToleratesMissingDecoration) {
    // Without the gradient file the grading uses a grey ramp; without the overlay program the
    // parts play without their overlays.
    VorndleTree tree;
    tree.remove("data/hos_gradient.grad");
    tree.edit("data/demo.xml", "<program name=\"zul/overlay\"/>", "");
    std::string err;
    EXPECT_EQ(runCommand(tree.command("--frames 3"), &err, 120), 0) << err;
    EXPECT_TRUE(err.empty()) << err;
}

TEST(VorndleProgram, WithoutADisplayItSaysSoInOneLine) {
    std::string err;
    EXPECT_EQ(runCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + kProgram, &err, 60), 0) << err;
    EXPECT_NE(err.find("no display"), std::string::npos) << err;
    EXPECT_EQ(lineCount(err), 1u) << err;
}
