// The capture options of every demo program, run as a program on the example: PNG frames, stills
// and contact sheets, videos checked with ffprobe, and the failures.
#include "support/DemoTree.h"

#include "app/capture/ContactSheet.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string hello(const DemoTree& tree, const std::string& extra) {
    return DemoTree::exampleBinary() + " --root " + tree.root() + " --no-message-box --size 320x180 " + extra;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Width and height from a PNG file's header.
std::pair<int, int> pngSize(const std::string& path) {
    const std::string bytes = readFile(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0)
        return {0, 0};
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(bytes[at]) << 24) |
               (static_cast<unsigned char>(bytes[at + 1]) << 16) |
               (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    return {be32(16), be32(20)};
}

std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

bool haveFfmpeg() {
    return std::system("command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1") == 0;
}

struct StreamFacts {
    long frames = -1;  // video frames decoded
    double video = -1; // video stream duration, seconds
    double audio = -1; // audio stream duration, seconds
    std::string codecs;
};

StreamFacts probe(const std::string& path) {
    StreamFacts facts;
    std::istringstream v(commandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                       "stream=codec_name,nb_read_frames,duration -of csv=p=0 '" +
                                       path + "'"));
    std::string codec, field;
    if (std::getline(v, codec, ',')) {
        facts.codecs = codec;
        std::getline(v, field, ',');
        facts.video = std::atof(field.c_str());
        std::getline(v, field);
        facts.frames = std::atol(field.c_str());
    }
    std::istringstream a(commandOutput("ffprobe -v error -select_streams a:0 -show_entries "
                                       "stream=codec_name,duration -of csv=p=0 '" +
                                       path + "'"));
    if (std::getline(a, codec, ',')) {
        facts.codecs += "+" + codec;
        std::getline(a, field);
        facts.audio = std::atof(field.c_str());
    }
    return facts;
}

TEST(CaptureRunTest, PngFramesAreNumberedAndStillsMatchThemByteForByte) {
    DemoTree tree;
    std::string err;
    ASSERT_EQ(runCommand(hello(tree, "--render " + tree.path("frames/") + " --from 4 --to 5 --fps 60"), &err),
              0)
        << err;
    // One beat at 120 bpm and 60 fps: 30 frames, named from 0, and nothing else left in the folder.
    std::vector<std::string> expected;
    for (int k = 0; k < 30; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", k);
        expected.push_back(name);
    }
    EXPECT_EQ(namesIn(tree.path("frames")), expected);
    EXPECT_EQ(pngSize(tree.path("frames/frame_000029.png")), std::make_pair(320, 180));
    EXPECT_TRUE(readFile(tree.path("frames/frame_000000.png")) !=
                readFile(tree.path("frames/frame_000001.png")))
        << "the ball moves from frame to frame";

    // Stills: the same on every run, and the same as the frame of the same beat (4.5 = 4 + 15 / 30).
    for (const char* folder : {"stills", "again"})
        ASSERT_EQ(runCommand(hello(tree, std::string("--stills 4.5,4,4.9 --out ") + tree.path(folder)), &err),
                  0)
            << err;
    EXPECT_EQ(namesIn(tree.path("stills")),
              (std::vector<std::string>{"beat_4.5.png", "beat_4.9.png", "beat_4.png"}));
    for (const char* name : {"beat_4.5.png", "beat_4.png", "beat_4.9.png"})
        EXPECT_TRUE(readFile(tree.path("stills/") + name) == readFile(tree.path("again/") + name)) << name;
    EXPECT_TRUE(readFile(tree.path("stills/beat_4.5.png")) == readFile(tree.path("frames/frame_000015.png")));
    EXPECT_TRUE(readFile(tree.path("stills/beat_4.png")) == readFile(tree.path("frames/frame_000000.png")));
    EXPECT_TRUE(readFile(tree.path("stills/beat_4.9.png")) == readFile(tree.path("frames/frame_000027.png")))
        << "a still made after others starts its simulation afresh; 4.9 is no exact float";

    // At a rate that does not divide 60 the frames fall between the simulation's sixtieths; the
    // stills at their beats still take the steps the frames took.
    ASSERT_EQ(runCommand(hello(tree, "--render " + tree.path("f25/") + " --from 4 --to 5 --fps 25"), &err), 0)
        << err;
    EXPECT_EQ(namesIn(tree.path("f25")).size(), 13u) << "half a second at 25 fps: 12.5 frames";
    ASSERT_EQ(runCommand(hello(tree, "--stills 4.08,4.4,4.96 --out " + tree.path("s25")), &err), 0) << err;
    EXPECT_TRUE(readFile(tree.path("s25/beat_4.08.png")) == readFile(tree.path("f25/frame_000001.png")));
    EXPECT_TRUE(readFile(tree.path("s25/beat_4.4.png")) == readFile(tree.path("f25/frame_000005.png")));
    EXPECT_TRUE(readFile(tree.path("s25/beat_4.96.png")) == readFile(tree.path("f25/frame_000012.png")));
}

TEST(CaptureRunTest, ContactSheetHasOneLabelledCellPerStill) {
    DemoTree tree;
    std::string err;
    ASSERT_EQ(runCommand(hello(tree, "--stills 0,2,4,6,8,10 --out " + tree.path("shots") + " --sheet " +
                                         tree.path("sheet.png")),
                         &err),
              0)
        << err;
    EXPECT_EQ(namesIn(tree.path("shots")).size(), 6u);
    const ContactSheet::Layout layout = ContactSheet::layout(6, 320, 180);
    EXPECT_EQ(layout.columns, 4);
    EXPECT_EQ(pngSize(tree.path("sheet.png")), std::make_pair(layout.width, layout.height));
    EXPECT_NE(err.find("6 pictures"), std::string::npos) << err;
}

TEST(CaptureRunTest, VideosHaveExactlyTheirFramesAndMatchingSound) {
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg/ffprobe not installed (Debian package ffmpeg): video checks skipped";
    DemoTree tree;
    std::string err;
    struct Case {
        const char* file;
        const char* range;
        long frames;
        double seconds;
        const char* codecs;
    } cases[] = {
        {"four-beats.mp4", "--from 4 --to 8 --fps 30", 60, 2.0, "h264+aac"},
        {"odd-rate.mp4", "--to 1.3 --fps 25", 17, 0.68, "h264+aac"}, // 16.25 frames of song
        {"odd-rate.mkv", "--from 3 --to 4.1 --fps 24", 14, 14 / 24.0, "h264+flac"},
    };
    for (const Case& c : cases) {
        const std::string out = tree.path(c.file);
        ASSERT_EQ(runCommand(hello(tree, std::string("--render ") + out + " " + c.range), &err, 180), 0)
            << err;
        const StreamFacts facts = probe(out);
        EXPECT_EQ(facts.codecs, c.codecs) << c.file;
        EXPECT_EQ(facts.frames, c.frames) << c.file;
        if (facts.video > 0) { // Matroska keeps no per-stream duration
            EXPECT_NEAR(facts.video, c.seconds, 1e-3) << c.file;
        }
        if (std::string(c.file).find(".mp4") != std::string::npos) {
            EXPECT_NEAR(facts.audio, c.seconds, 1024.0 / 44100) << c.file << ": one audio frame at most";
        }
        EXPECT_FALSE(fs::exists(tree.path("four-beats.partial.mp4")));
    }
}

TEST(CaptureRunTest, AStoppedRenderLeavesAPlayablePartialVideo) {
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg/ffprobe not installed (Debian package ffmpeg): video checks skipped";
    DemoTree tree;
    const std::string out = tree.path("long.mp4"), partial = tree.path("long.partial.mp4");
    // Renders 16000 frames; once some are in the file, it is stopped as Ctrl-C or a kill would.
    const std::string script = hello(tree, "--render " + out + " --fps 1000") + " & p=$!; i=0; " +
                               "while [ $(stat -c %s " + partial + " 2>/dev/null || echo 0) -lt 20000 ] && " +
                               "[ $i -lt 600 ]; do sleep 0.1; i=$((i+1)); done; kill -TERM $p; wait $p";
    std::string err;
    EXPECT_EQ(runCommand("sh -c '" + script + "'", &err, 120), 1) << err;
    EXPECT_NE(err.find("stopped after"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(out)) << "an incomplete video never takes the final name";
    const StreamFacts facts = probe(partial);
    EXPECT_GT(facts.frames, 0) << err;
    EXPECT_LT(facts.frames, 16000);
    EXPECT_NEAR(facts.audio, facts.video, 0.1) << "the sound stops with the pictures";
}

// Each mistake: exit status 1, one line on standard error naming the problem, nothing written.
TEST(CaptureRunTest, MistakesEndWithOneLineAndNoOutput) {
    DemoTree tree;
    const std::string fake = tree.path("fake");
    fs::create_directories(fake);
    std::ofstream(fake + "/ffmpeg")
        << "#!/bin/sh\nhead -c 300000 >/dev/null\necho 'encoder broke down' >&2\nexit 1\n";
    fs::permissions(fake + "/ffmpeg", fs::perms::owner_all);
    const std::string out = tree.path("out");
    fs::create_directories(out);
    const struct {
        std::string prefix, args, named;
    } cases[] = {
        {"", "--render " + out + "/v.avi", "unknown video type"},
        {"", "--render " + out + "/f/ --from 16", "beat 16 lies outside"},
        {"", "--render " + out + "/f/ --from -1", "beat -1 lies outside"},
        {"", "--render " + out + "/f/ --to 16.5", "beat 16.5 lies outside"},
        {"", "--render " + out + "/f/ --from 8 --to 4", "--to must lie after --from"},
        {"", "--render " + out + "/f/ --fps 0", "--fps must lie between 1 and 1000"},
        {"", "--render " + out + "/f/ --fps 1001", "--fps must lie between 1 and 1000"},
        {"", "--render /proc/no-such/v.mp4", "/proc/no-such/v.mp4: cannot be written"},
        {"", "--render /proc/no-such/", "/proc/no-such: the folder cannot be made"},
        {"", "--stills 3,99 --out " + out + "/s", "beat 99 lies outside"},
        {"", "--stills 3 --out " + out + "/s --sheet /proc/no-such/sheet.png", "cannot be written"},
        {"", "--from 20 --no-dialog", "--from: beat 20 lies outside"},
        {"env PATH=/nonexistent ", "--render " + out + "/v.mp4", "ffmpeg is not on the PATH"},
        {"env PATH=" + fake + ":/usr/bin:/bin ", "--render " + out + "/v.mp4",
         "ffmpeg failed: encoder broke down"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(runCommand(c.prefix + hello(tree, c.args), &err, 120), 1) << c.args << "\n" << err;
        EXPECT_NE(err.find(c.named), std::string::npos) << c.args << "\n" << err;
        // The ffmpeg stand-in announces the render before it fails; the rest say only their line.
        const long lines = std::count(err.begin(), err.end(), '\n');
        EXPECT_EQ(lines, c.named.find("broke") != std::string::npos ? 2 : 1) << c.args << "\n" << err;
        EXPECT_EQ(namesIn(out), std::vector<std::string>{}) << c.args;
        fs::remove_all(out);
        fs::create_directories(out);
    }
}

TEST(CaptureRunTest, LivePlayStartsAtTheBeat) {
    DemoTree tree;
    std::string err;
    // Half a beat before the end: a quarter of a second of play instead of eight.
    ASSERT_EQ(runCommand(hello(tree, "--no-sound --no-dialog --no-vsync --stats --from 15.5"), &err, 60), 0)
        << err;
    const size_t at = err.find(" frames in ");
    ASSERT_NE(at, std::string::npos) << err;
    const double seconds = std::atof(err.c_str() + at + 11);
    EXPECT_GT(seconds, 0.2) << err;
    EXPECT_LT(seconds, 3.0) << err;
    // The start-up's phases follow, one a line, adding up to the time to the first frame.
    for (const char* phase : {"window", "loading screen", "song", "programs", "textures", "meshes", "scenes",
                              "state files", "first frame", "total"})
        EXPECT_NE(err.find(std::string("stats:   ") + phase + " "), std::string::npos) << phase << "\n"
                                                                                       << err;
}

} // namespace
