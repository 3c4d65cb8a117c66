// build/vorndle in authoring play, driven through its control channel on a private copy of its
// data tree, headless: the transport, and edits to shaders and scenes seen while it runs.
#include "support/DemoTree.h"
#include "support/ImageFiles.h"
#include "support/UnixSocket.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kProgram = VORNDLE_BINARY_DIR "/vorndle";
const char* const kOptions = " --no-dialog --no-sound --no-message-box --size 320x180 --no-vsync";

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The program running in the background with --edit --control, and a client of its channel.
class EditedVorndle {
public:
    explicit EditedVorndle(const DemoTree& tree) : tree_(tree) {
        const std::string socket = tree.path("control");
        const std::string command = kProgram + " --root " + tree.root() + kOptions + " --edit --control " +
                                    socket + " 2>" + tree.path("stderr.txt");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Loading takes a few seconds; the socket appears once the first frame is near.
        for (int i = 0; i < 600 && fd_ < 0; ++i) {
            fd_ = connectUnixSocket(socket);
            if (fd_ < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ~EditedVorndle() {
        if (fd_ >= 0)
            ::close(fd_);
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool connected() const { return fd_ >= 0; }

    // Sends one command and answers the reply line ("" when the program went away).
    std::string ask(const std::string& command) {
        const std::string line = command + "\n";
        if (::send(fd_, line.data(), line.size(), MSG_NOSIGNAL) != ssize_t(line.size()))
            return "";
        std::string reply;
        char c;
        while (::recv(fd_, &c, 1, 0) == 1 && c != '\n')
            reply += c;
        return reply;
    }
    // The beat of a status reply.
    double beat() {
        const std::string reply = ask("status");
        return reply.rfind("ok beat ", 0) == 0 ? std::stod(reply.substr(8)) : -1;
    }
    // Takes stills until one differs from `before` (a reload shows within a few frames), for at
    // most `seconds`; answers the last one.
    std::string stillUnlike(const std::string& before, double seconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        std::string picture;
        do {
            const std::string path = tree_.path("look.png");
            if (ask("still " + path) != "ok still " + path)
                return "";
            picture = fileBytes(path);
        } while (picture == before && std::chrono::steady_clock::now() < until);
        return picture;
    }
    std::string still(const std::string& name) {
        const std::string path = tree_.path(name);
        return ask("still " + path) == "ok still " + path ? fileBytes(path) : "";
    }
    // Asks it to quit and answers its exit status.
    int quit() {
        ask("quit");
        int status = 0;
        for (int i = 0; i < 300; ++i) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -2;
    }
    std::string errors() const { return fileBytes(tree_.path("stderr.txt")); }

private:
    const DemoTree& tree_;
    pid_t pid_ = -1;
    int fd_ = -1;
    bool exited_ = false;
};

} // namespace

TEST(EditRun, TransportSeeksAsStillsDoAndEditsShowWhileItRuns) {
    DemoTree tree(VORNDLE_BINARY_DIR "/data");
    // The reference: what --stills draws at beat 150, in a run of its own.
    std::string err;
    ASSERT_EQ(runCommand(kProgram + " --root " + tree.root() + kOptions + " --stills 150 --out " +
                             tree.path("stills"),
                         &err, 180),
              0)
        << err;
    const std::string reference = fileBytes(tree.path("stills/beat_150.png"));
    ASSERT_FALSE(reference.empty());

    EditedVorndle vorndle(tree);
    ASSERT_TRUE(vorndle.connected()) << vorndle.errors();

    // Pause holds the beat; a seek is the still of that beat, pixel for pixel.
    EXPECT_EQ(vorndle.ask("pause").rfind("ok pause", 0), 0u);
    const double held = vorndle.beat();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(vorndle.beat(), held);
    EXPECT_EQ(vorndle.ask("seek 150"), "ok seek 150");
    EXPECT_TRUE(vorndle.still("seek.png") == reference)
        << "the paused frame after a seek differs from --stills";
    EXPECT_TRUE(vorndle.still("again.png") == reference) << "a paused picture changes";
    EXPECT_EQ(vorndle.ask("seek 999").rfind("error ", 0), 0u);
    EXPECT_EQ(vorndle.ask("warp 9").rfind("error unknown command", 0), 0u);

    // A loop wraps: play inside [150, 151) never leaves it and comes back round.
    EXPECT_EQ(vorndle.ask("loop 150 151"), "ok loop 150 151");
    EXPECT_EQ(vorndle.ask("play").rfind("ok play", 0), 0u);
    bool wrapped = false;
    double last = 150;
    for (int i = 0; i < 30; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double beat = vorndle.beat();
        EXPECT_GE(beat, 150 - 1e-6);
        EXPECT_LT(beat, 151);
        wrapped = wrapped || beat < last;
        last = beat;
    }
    EXPECT_TRUE(wrapped) << "play did not wrap in 3 seconds (half a second of loop)";
    EXPECT_EQ(vorndle.ask("loop off"), "ok loop off");
    vorndle.ask("pause");
    ASSERT_EQ(vorndle.ask("seek 150"), "ok seek 150");

    // A shader include edited: the picture changes without a restart.
    const std::string include = "data/shaders/post/blit_common.glsl";
    const std::string original = tree.read(include);
    tree.edit(include, "fragColor = vec4(c, 1.0);", "fragColor = vec4(c.bgr, 1.0);");
    const std::string swapped = vorndle.stillUnlike(reference, 10);
    ASSERT_FALSE(swapped.empty());
    EXPECT_FALSE(swapped == reference) << "the shader edit was not seen";

    // A broken shader keeps the last good picture and says which file is broken; the fix brings
    // the picture back.
    tree.edit(include, "fragColor = vec4(c.bgr, 1.0);", "fragColor = vec4(c.bgr, 1.0) nonsense;");
    for (int i = 0; i < 30 && vorndle.errors().find("the last good version stays") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_NE(vorndle.errors().find("the last good version stays"), std::string::npos) << vorndle.errors();
    // The compiler's message names the included file and the line that was edited.
    const size_t edited =
        1 + std::count(original.begin(), original.begin() + long(original.find("fragColor = vec4(c, 1.0);")),
                       '\n');
    EXPECT_NE(vorndle.errors().find("blit_common.glsl:" + std::to_string(edited) + ":"), std::string::npos)
        << vorndle.errors();
    EXPECT_TRUE(vorndle.still("broken.png") == swapped) << "a failed reload changed the picture";
    tree.write(include, original);
    EXPECT_TRUE(vorndle.stillUnlike(swapped, 10) == reference)
        << "the fixed shader does not bring the picture back";

    // The windmill's state built again from its text with twice the exposure, as make edit's
    // background build would; then the old state back, and the picture is the reference again.
    const std::string state = tree.read("data/windmill.dat");
    std::string text = fileBytes(VORNDLE_SOURCE_DIR "/content/states/windmill.state");
    const size_t exposure = text.find("\nexposure ");
    ASSERT_NE(exposure, std::string::npos);
    text.insert(exposure + 1, "exposure 2.6\n#");
    tree.write("brighter.state", text);
    ASSERT_EQ(runCommand(VORNDLE_BINARY_DIR "/tools/statetool build " + tree.path("brighter.state") + " " +
                             tree.path("data/.windmill.dat.new") + " && mv " +
                             tree.path("data/.windmill.dat.new") + " " + tree.path("data/windmill.dat"),
                         &err),
              0)
        << err;
    const std::string brighter = vorndle.stillUnlike(reference, 10);
    EXPECT_FALSE(brighter == reference) << "the state edit was not seen";
    tree.write("data/windmill.dat", state);
    EXPECT_TRUE(vorndle.stillUnlike(brighter, 10) == reference);

    // A picture replaced: the clouds give way to an even grey; the original back brings the
    // reference.
    const std::string clouds = tree.read("data/textures/clouds.png");
    const std::vector<uint8_t> grey = greyPng(64, 64, std::vector<uint8_t>(64 * 64, 128));
    tree.write("data/textures/clouds.png", std::string(grey.begin(), grey.end()));
    const std::string greyer = vorndle.stillUnlike(reference, 10);
    EXPECT_FALSE(greyer == reference) << "the picture edit was not seen";
    tree.write("data/textures/clouds.png", clouds);
    EXPECT_TRUE(vorndle.stillUnlike(greyer, 10) == reference);

    // The demo description saved again as it was: everything is loaded again, and is the same.
    tree.write("data/demo.xml", tree.read("data/demo.xml"));
    for (int i = 0; i < 50 && vorndle.errors().find("demo.xml: everything") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_NE(vorndle.errors().find("demo.xml: everything but the song loaded again"), std::string::npos)
        << vorndle.errors();
    EXPECT_TRUE(vorndle.still("described.png") == reference);

    // A scene file edited: the windmill's sky light turns red.
    tree.edit("data/scenes/windmill.xml", "color.r=\"0.12\" color.g=\"0.15\"",
              "color.r=\"3.0\" color.g=\"0.15\"");
    EXPECT_FALSE(vorndle.stillUnlike(reference, 10) == reference) << "the scene edit was not seen";

    EXPECT_EQ(vorndle.quit(), 0) << vorndle.errors();
}
