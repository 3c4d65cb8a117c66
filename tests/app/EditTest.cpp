#include "app/KeyCodes.h"
#include "app/LaunchOptions.h"
#include "app/edit/ControlChannel.h"
#include "app/edit/ControlCommand.h"
#include "app/edit/EditSession.h"
#include "app/edit/FileWatcher.h"
#include "app/edit/SourceTree.h"
#include "app/edit/Transport.h"
#include "support/TempDir.h"
#include "support/UnixSocket.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(ControlCommandTest, ReadsEveryCommandAndRefusesTheRestWithAReason) {
    ControlCommand c;
    std::string error;
    ASSERT_TRUE(parseControlCommand("  seek\t12.5 \r", c, error)) << error;
    EXPECT_EQ(c.kind, ControlCommand::Seek);
    EXPECT_DOUBLE_EQ(c.first, 12.5);
    ASSERT_TRUE(parseControlCommand("loop 8 16", c, error));
    EXPECT_EQ(c.kind, ControlCommand::Loop);
    EXPECT_DOUBLE_EQ(c.second, 16);
    ASSERT_TRUE(parseControlCommand("loop off", c, error));
    EXPECT_EQ(c.kind, ControlCommand::LoopOff);
    ASSERT_TRUE(parseControlCommand("still /tmp/a picture.png ", c, error));
    EXPECT_EQ(c.kind, ControlCommand::Still);
    EXPECT_EQ(c.path, "/tmp/a picture.png");
    for (const char* word : {"pause", "play", "reload", "status", "quit", "speed 0.25", "speed 2"})
        EXPECT_TRUE(parseControlCommand(word, c, error)) << word << ": " << error;

    const char* refused[] = {"",           "   ",       "seek",   "seek x",     "seek 1 2",  "seek nan",
                             "seek 1e999", "loop 16 8", "loop 8", "speed 3",    "speed 0.1", "pause now",
                             "still",      "still   ",  "jump 4", "seek 4\x01", "se\xffk 4", "SEEK 4"};
    for (const char* line : refused) {
        error.clear();
        EXPECT_FALSE(parseControlCommand(line, c, error)) << "\"" << line << "\"";
        EXPECT_FALSE(error.empty()) << "\"" << line << "\" is refused without a reason";
        EXPECT_LT(error.size(), 120u);
    }
    // A NUL inside the line is refused, not read as its end.
    EXPECT_FALSE(parseControlCommand(std::string("pause\0x", 7), c, error));
}

TEST(TransportTest, KeysSeekByBeatBarPartAndEnds) {
    Transport t;
    t.setTimeline({104, 0, 226, 0}, 266); // parts as registered: starts repeat and come in any order
    const int bpm = 120;
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::Right, false, 10.4, bpm), 11);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::Right, false, 11, bpm), 12);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::Left, false, 10.4, bpm), 10);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::Left, false, 10, bpm), 9);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::Right, true, 10, bpm), 12);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::Left, true, 12, bpm), 8);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::Left, true, 0.5, bpm), 0) << "never before the start";
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::PageDown, false, 50, bpm), 104);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::PageUp, false, 104, bpm), 0) << "from a part's start, the one before";
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::PageUp, false, 110, bpm), 104);
    EXPECT_DOUBLE_EQ(t.seekForKey('3', false, 50, bpm), 226);
    EXPECT_LT(t.seekForKey('4', false, 50, bpm), 0) << "no fourth part";
    EXPECT_LT(t.seekForKey('x', false, 50, bpm), 0);
    // End, and anything past it, lands on the last frame before the end: a beat that --stills takes.
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::End, false, 50, bpm), 266 - 120.0 / 3600);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::PageDown, false, 230, bpm), 266 - 120.0 / 3600);
    EXPECT_DOUBLE_EQ(t.seekForKey(keys::Right, true, 265.5, bpm), 266 - 120.0 / 3600);
}

TEST(TransportTest, LoopMarksTakeWholeBarsAndSpeedStaysInItsRange) {
    Transport t;
    t.setTimeline({0}, 100);
    EXPECT_FALSE(t.toggleLoop()) << "nothing marked, nothing to loop";
    t.markLoopIn(9.5);
    t.markLoopOut(13.2);
    EXPECT_DOUBLE_EQ(t.loopIn(), 8);
    EXPECT_DOUBLE_EQ(t.loopOut(), 16);
    EXPECT_LT(t.wrapFor(15.9), 0) << "not looping yet";
    EXPECT_TRUE(t.toggleLoop());
    EXPECT_LT(t.wrapFor(15.9), 0);
    EXPECT_DOUBLE_EQ(t.wrapFor(16), 8);
    EXPECT_FALSE(t.toggleLoop());
    EXPECT_FALSE(t.setLoop(5, 5));
    EXPECT_DOUBLE_EQ(t.loopIn(), 8) << "a refused loop changes nothing";

    EXPECT_TRUE(t.faster());
    EXPECT_FALSE(t.faster()) << "2x is the fastest";
    EXPECT_DOUBLE_EQ(t.speed, 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(t.slower());
    EXPECT_FALSE(t.slower()) << "1/4x is the slowest";
    EXPECT_DOUBLE_EQ(t.speed, 0.25);
}

TEST(EditReloadTest, AChangeReloadsOnlyWhatDependsOnIt) {
    using R = EditSession::Reload;
    EXPECT_EQ(EditSession::reloadFor({}), R::None);
    EXPECT_EQ(EditSession::reloadFor({"windmill.dat"}), R::Parts);
    EXPECT_EQ(EditSession::reloadFor({"scenes/intro.xml", "intro.dat"}), R::Parts);
    EXPECT_EQ(EditSession::reloadFor({"shaders/deferred/lighting.glsl", "windmill.dat"}), R::Programs);
    EXPECT_EQ(EditSession::reloadFor({"intro.dat", "demo.xml"}), R::Everything);
    EXPECT_EQ(EditSession::reloadFor({"textures/bark.png"}), R::Everything);
    EXPECT_EQ(EditSession::reloadFor({"intro.dat", "vorndle.ogg"}), R::EverythingAndSong);
    EXPECT_EQ(EditSession::reloadFor({FileWatcher::kOverflow}), R::EverythingAndSong)
        << "changes the kernel could not tell apart reload everything";
}

TEST(EditOptionsTest, EditAndControlAreForLivePlayOnly) {
    LaunchOptions o;
    std::string error;
    const char* args[] = {"vorndle", "--edit", "--control", "/tmp/s", "--stills", "4", "--out", "x"};
    ASSERT_TRUE(o.parse(8, args, error)) << error;
    EXPECT_TRUE(o.edit);
    EXPECT_EQ(o.controlPath, "/tmp/s");
    EXPECT_FALSE(o.checkCapture(error));
    EXPECT_NE(error.find("--edit"), std::string::npos) << error;
    const char* empty[] = {"vorndle", "--control", ""};
    EXPECT_FALSE(LaunchOptions().parse(3, empty, error));
}

// A client of the channel: a connected socket with a line reader.
struct Client {
    int fd = -1;
    explicit Client(const std::string& path) : fd(connectUnixSocket(path)) {}
    ~Client() {
        if (fd >= 0)
            ::close(fd);
    }
    void send(const std::string& bytes) const {
        ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    // What the channel sent, up to its close or the first line.
    std::string receive() const {
        std::string text;
        char c;
        while (::recv(fd, &c, 1, 0) == 1 && c != '\n')
            text += c;
        return text;
    }
};

// Serves lines until `want` arrived or a bound of rounds is reached; answers "echo <line>".
std::vector<std::string> serve(ControlChannel& channel, size_t want) {
    std::vector<std::string> lines;
    for (int round = 0; round < 200 && lines.size() < want; ++round) {
        int client = -1;
        std::string line;
        while (channel.nextLine(client, line)) {
            lines.push_back(line);
            channel.reply(client, "echo " + line);
        }
        if (lines.size() < want)
            ::usleep(2000);
    }
    return lines;
}

TEST(ControlChannelTest, LinesComeInOrderAndNoClientCanStallOrFloodIt) {
    TempDir dir;
    const std::string path = dir.file("control");
    ControlChannel channel;
    std::string error;
    ASSERT_TRUE(channel.open(path, error)) << error;
    ControlChannel second;
    EXPECT_FALSE(second.open(path, error)) << "a live socket is not taken over";
    EXPECT_NE(error.find("another program"), std::string::npos) << error;

    Client a(path), b(path);
    ASSERT_GE(a.fd, 0);
    // Two lines in pieces, one split across sends, and a line from another client between them.
    a.send("seek 4\nsta");
    b.send("pause\n");
    EXPECT_EQ(serve(channel, 2).size(), 2u);
    a.send("tus\n");
    EXPECT_EQ(serve(channel, 1), std::vector<std::string>{"status"});
    EXPECT_EQ(a.receive(), "echo seek 4");
    EXPECT_EQ(a.receive(), "echo status");
    EXPECT_EQ(b.receive(), "echo pause");

    // A line longer than any command: one error line, then the connection closes.
    Client flood(path);
    flood.send(std::string(ControlChannel::kMaxLine + 10, 'x'));
    serve(channel, 1);
    EXPECT_EQ(flood.receive(), "error line too long");
    EXPECT_EQ(flood.receive(), "") << "closed";

    // A client that goes away in the middle of a line is forgotten with its half line.
    {
        Client gone(path);
        gone.send("seek 1");
        serve(channel, 1);
    }
    Client c(path);
    c.send("quit\n");
    EXPECT_EQ(serve(channel, 1), std::vector<std::string>{"quit"});

    // A client that never reads its answers is dropped rather than waited for.
    Client deaf(path);
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "status\n";
    ::send(deaf.fd, many.data(), many.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    serve(channel, 20000); // returns: the bound of rounds, not the client, ends it

    channel.close();
    struct stat info;
    EXPECT_NE(::lstat(path.c_str(), &info), 0) << "the socket file is removed";
    // A socket file that nobody answers on any more (a crashed program) is replaced.
    ASSERT_TRUE(channel.open(path, error)) << error;
    channel.close();
    ASSERT_TRUE(writeFile(path, "not a socket"));
    EXPECT_FALSE(channel.open(path, error)) << "a plain file is never removed";
}

TEST(FileWatcherTest, SeesSavesByRenameAndNewFoldersInOneQuietBatch) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("shaders").c_str(), 0755), 0);
    ASSERT_TRUE(writeFile(dir.file("shaders/a.glsl"), "old"));
    FileWatcher watcher;
    std::string error;
    ASSERT_TRUE(watcher.open(dir.path(), std::chrono::milliseconds(50), error)) << error;
    std::vector<std::string> changed;
    const auto t0 = FileWatcher::Clock::now();
    EXPECT_FALSE(watcher.poll(t0, changed));

    // An editor's atomic save: a hidden temporary file renamed over the old one; and a plain write.
    ASSERT_TRUE(writeFile(dir.file("shaders/.a.glsl.swp"), "new"));
    ASSERT_EQ(::rename(dir.file("shaders/.a.glsl.swp").c_str(), dir.file("shaders/a.glsl").c_str()), 0);
    ASSERT_TRUE(writeFile(dir.file("demo.xml"), "<demo/>"));
    ASSERT_TRUE(writeFile(dir.file("demo.xml"), "<demo/> again"));
    const auto t1 = FileWatcher::Clock::now();
    EXPECT_FALSE(watcher.poll(t1, changed)) << "not before the tree has been quiet";
    ASSERT_TRUE(watcher.poll(t1 + std::chrono::milliseconds(60), changed));
    EXPECT_EQ(changed, (std::vector<std::string>{"demo.xml", "shaders/a.glsl"}));

    // A folder made after the watch began is watched too.
    ASSERT_EQ(::mkdir(dir.file("scenes").c_str(), 0755), 0);
    watcher.poll(FileWatcher::Clock::now(), changed);
    ASSERT_TRUE(writeFile(dir.file("scenes/intro.xml"), "<scene/>"));
    const auto t2 = FileWatcher::Clock::now();
    watcher.poll(t2, changed);
    changed.clear();
    ASSERT_TRUE(watcher.poll(t2 + std::chrono::milliseconds(60), changed));
    EXPECT_EQ(changed, std::vector<std::string>{"scenes/intro.xml"});
}

} // namespace

namespace {

// Polls the source tree until it says something or `seconds` pass; answers what it said.
std::string pollUntilSaid(SourceTree& sources, double seconds, bool untilRebuilt = false) {
    const auto until = FileWatcher::Clock::now() + std::chrono::duration<double>(seconds);
    std::string said;
    while (FileWatcher::Clock::now() < until) {
        const std::string now = sources.poll(FileWatcher::Clock::now());
        if (!now.empty())
            said = now;
        if (!said.empty() && (!untilRebuilt || !sources.rebuilding()))
            break;
        ::usleep(5000);
    }
    return said;
}

std::string readAll(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::string text;
    if (!file)
        return text;
    char buffer[256];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

} // namespace

// make edit's source tree: a saved data file reaches the played tree whole, and a changed content
// source runs the build's rule for the generated data, whose output then appears there.
TEST(SourceTreeTest, CopiesSavedDataAndRebuildsGeneratedDataInTheBackground) {
    TempDir dir;
    const std::string sources = dir.file("src"), build = dir.file("build");
    for (const char* folder : {"src", "src/data", "src/data/shaders", "src/content", "build", "build/data"})
        ASSERT_EQ(::mkdir(dir.file(folder).c_str(), 0755), 0) << folder;
    // A build whose generated data is one file made from content/level.txt.
    ASSERT_TRUE(writeFile(sources + "/CMakeLists.txt",
                          "cmake_minimum_required(VERSION 3.20)\nproject(t NONE)\n"
                          "add_custom_target(vorndle_data COMMAND ${CMAKE_COMMAND} -E copy "
                          "${CMAKE_SOURCE_DIR}/content/level.txt ${CMAKE_BINARY_DIR}/data/level.dat)\n"));
    ASSERT_TRUE(writeFile(sources + "/content/level.txt", "one"));
    ASSERT_EQ(std::system(("cmake -S " + sources + " -B " + build + " >/dev/null 2>&1").c_str()), 0);

    SourceTree tree;
    std::string error;
    EXPECT_FALSE(tree.open(build, build + "/data", build, error)) << "the played tree is not its own source";
    ASSERT_TRUE(tree.open(sources, build + "/data", build, error)) << error;

    ASSERT_TRUE(writeFile(sources + "/data/shaders/a.frag", "void main() {}"));
    pollUntilSaid(tree, 0.3);
    EXPECT_EQ(readAll(build + "/data/shaders/a.frag"), "void main() {}");

    ASSERT_TRUE(writeFile(sources + "/content/level.txt", "two"));
    EXPECT_NE(pollUntilSaid(tree, 1).find("making the generated data again"), std::string::npos);
    pollUntilSaid(tree, 30, true);
    EXPECT_FALSE(tree.rebuilding());
    EXPECT_EQ(readAll(build + "/data/level.dat"), "two");

    // A rule that fails says so; the played file stays as it was.
    ASSERT_EQ(::remove((sources + "/content/level.txt").c_str()), 0);
    ASSERT_TRUE(writeFile(sources + "/content/other.txt", "x"));
    pollUntilSaid(tree, 1);
    EXPECT_NE(pollUntilSaid(tree, 30, true).find("failed"), std::string::npos);
    EXPECT_EQ(readAll(build + "/data/level.dat"), "two");
}
