#include "app/edit/SourceTree.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
constexpr std::chrono::milliseconds kQuiet{30};
} // namespace

SourceTree::~SourceTree() {
    if (rebuild_ > 0) {
        ::kill(rebuild_, SIGTERM);
        ::waitpid(rebuild_, nullptr, 0);
    }
}

bool SourceTree::open(const std::string& sources, const std::string& played, const std::string& buildRoot,
                      std::string& error) {
    sources_ = sources;
    played_ = played;
    buildRoot_ = buildRoot;
    std::error_code ec;
    if (std::filesystem::equivalent(sources + "/data", played, ec)) {
        error = sources + ": --sources: the sources' data/ is the played tree itself";
        return false;
    }
    if (!data_.open(sources + "/data", kQuiet, error))
        return false;
    if (!buildRoot_.empty() && std::filesystem::is_directory(sources + "/content", ec) &&
        !content_.open(sources + "/content", kQuiet, error))
        return false;
    return true;
}

bool SourceTree::copyIntoPlayed(const std::string& relative, std::string& error) const {
    const std::filesystem::path from = sources_ + "/data/" + relative;
    const std::filesystem::path to = played_ + "/" + relative;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(from, ec))
        return true; // removed or renamed away: the played copy stays
    // Under a hidden name first (the watcher passes those over), then renamed into place, so the
    // played tree never holds half a file.
    const std::filesystem::path temporary = to.parent_path() / ("." + to.filename().string() + ".copy");
    std::filesystem::create_directories(to.parent_path(), ec);
    if (!std::filesystem::copy_file(from, temporary, std::filesystem::copy_options::overwrite_existing, ec) ||
        (std::filesystem::rename(temporary, to, ec), ec)) {
        error = to.string() + ": cannot be copied from the sources (" + ec.message() + ")";
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

void SourceTree::startRebuild() {
    const std::string target = "vorndle_data";
    const char* argv[] = {"cmake", "--build", buildRoot_.c_str(), "--target", target.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The build's progress stays out of the way; its errors come through.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed =
        posix_spawnp(&pid, "cmake", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    rebuild_ = failed ? -1 : pid;
}

std::string SourceTree::poll(FileWatcher::Clock::time_point now) {
    std::string said;
    if (data_.poll(now, changed_)) {
        std::string error;
        for (const std::string& relative : changed_)
            if (!copyIntoPlayed(relative, error))
                said = error;
        changed_.clear();
    }
    if (content_.poll(now, changed_)) {
        said = "edit: " + changed_.front() + " changed: making the generated data again";
        changed_.clear();
        if (rebuild_ > 0)
            rebuildAgain_ = true;
        else
            startRebuild();
        if (rebuild_ <= 0)
            said = "edit: cmake cannot be started to make the generated data again";
    }
    if (rebuild_ > 0) {
        int status = 0;
        if (::waitpid(rebuild_, &status, WNOHANG) == rebuild_) {
            rebuild_ = -1;
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                said = "edit: making the generated data failed; the last good version stays";
            else
                said = "edit: the generated data is made again";
            if (rebuildAgain_) {
                rebuildAgain_ = false;
                startRebuild();
            }
        }
    }
    return said;
}
