// Breaks a built demo's data tree one file at a time, the ways a user's disk breaks files, and
// runs the player on it. Each run must either play as if nothing happened (exit 0, nothing on
// standard error) or end with "Failed to load demo" after exactly one diagnostic line that names
// the broken file. Never a crash, never a silent failure, never a picture built from half a tree.
#include "support/DemoTree.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Breakage { Removed, Empty, Directory, DanglingLink, SelfLink };

const char* describe(Breakage b) {
    switch (b) {
    case Breakage::Removed:
        return "removed";
    case Breakage::Empty:
        return "empty";
    case Breakage::Directory:
        return "a directory";
    case Breakage::DanglingLink:
        return "a dangling symbolic link";
    case Breakage::SelfLink:
        return "a symbolic link to itself";
    }
    return "?";
}

void breakFile(const DemoTree& tree, const std::string& relative, Breakage b) {
    const fs::path path = tree.path(relative);
    fs::remove(path);
    switch (b) {
    case Breakage::Removed:
        break;
    case Breakage::Empty:
        tree.write(relative, "");
        break;
    case Breakage::Directory:
        fs::create_directory(path);
        break;
    case Breakage::DanglingLink:
        fs::create_symlink(path.filename().string() + ".gone", path);
        break;
    case Breakage::SelfLink:
        fs::create_symlink(path.filename(), path);
        break;
    }
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            out.push_back(line);
    return out;
}

// The demos whose trees are swept: each a program and its built data folder.
struct Demo {
    const char* name;
    std::string binary;
    std::string dataDir;
    // Every breakage of every file, or (for the production's large tree, where each run compiles
    // some fifty programs) one breakage per file, the kinds taken in turn down the file list.
    bool everyBreakage;
};

std::vector<Demo> demos() {
    std::vector<Demo> list{{"hello", DemoTree::exampleBinary(), DemoTree::exampleDataDir(), true}};
    const std::string production = std::string(VORNDLE_BINARY_DIR) + "/vorndle";
    if (fs::exists(production))
        list.push_back({"vorndle", production, std::string(VORNDLE_BINARY_DIR) + "/data", false});
    return list;
}

TEST(BrokenFileSweepTest, EveryFileOfTheTreeEitherPlaysOrFailsNamingIt) {
    const std::string failed = "Failed to load demo";
    for (const Demo& demo : demos()) {
        const std::vector<std::string> files = DemoTree(demo.dataDir).files();
        ASSERT_FALSE(files.empty()) << demo.name;
        const Breakage kinds[] = {Breakage::Removed, Breakage::Empty, Breakage::Directory,
                                  Breakage::DanglingLink, Breakage::SelfLink};
        for (size_t index = 0; index < files.size(); ++index) {
            const std::string& file = files[index];
            for (size_t k = 0; k < 5; ++k) {
                if (!demo.everyBreakage && k != index % 5)
                    continue;
                const Breakage b = kinds[k];
                SCOPED_TRACE(std::string(demo.name) + ": " + file + " " + describe(b));
                DemoTree tree(demo.dataDir);
                breakFile(tree, file, b);
                std::string err;
                const int status = runCommand(demo.binary + " --root " + tree.root() +
                                                  " --no-sound --no-dialog --no-message-box --size 64x36 "
                                                  "--no-vsync --frames 3",
                                              &err, 120);
                EXPECT_EQ(status, 0) << err;
                const std::vector<std::string> said = lines(err);
                if (err.find(failed) == std::string::npos) {
                    EXPECT_TRUE(said.empty()) << "played, but said:\n" << err;
                    continue;
                }
                if (said.size() != 2u || said[1].find(failed) == std::string::npos) {
                    ADD_FAILURE() << "one diagnostic line, then the message:\n" << err;
                    continue;
                }
                // The line names the file by its path under data/.
                const std::string underData = file.substr(file.find('/') + 1);
                EXPECT_NE(said[0].find(underData), std::string::npos) << err;
            }
        }
    }
}

} // namespace
