#include "app/edit/FileWatcher.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace {
constexpr uint32_t kEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_ATTRIB;
// A bound on the folders watched, far above any data tree, so a link cycle cannot run away.
constexpr size_t kMaxFolders = 4096;
} // namespace

FileWatcher::~FileWatcher() {
    close();
}

bool FileWatcher::open(const std::string& root, std::chrono::milliseconds quiet, std::string& error) {
    close();
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) {
        error = root + ": cannot watch: not a folder";
        return false;
    }
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        error = root + ": cannot watch (" + std::strerror(errno) + ")";
        return false;
    }
    root_ = root;
    while (root_.size() > 1 && root_.back() == '/')
        root_.pop_back();
    quiet_ = quiet;
    watchTree("");
    if (folders_.empty()) {
        error = root + ": cannot watch (" + std::strerror(errno) + ")";
        close();
        return false;
    }
    return true;
}

void FileWatcher::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    folders_.clear();
    batch_.clear();
}

void FileWatcher::watchTree(const std::string& folder) {
    if (folders_.size() >= kMaxFolders)
        return;
    const std::string path = folder.empty() ? root_ : root_ + "/" + folder;
    const int wd = ::inotify_add_watch(fd_, path.c_str(), kEvents | IN_ONLYDIR);
    if (wd < 0)
        return;
    // The same folder reached twice (through a link) keeps its first name.
    if (!folders_.emplace(wd, folder).second)
        return;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
        std::error_code kind;
        if (entry.is_directory(kind))
            watchTree((folder.empty() ? "" : folder + "/") + entry.path().filename().string());
    }
}

void FileWatcher::readEvents(Clock::time_point now) {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            return;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= got;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // More changed than the kernel could queue: which files is lost, so all of them.
                batch_.push_back(kOverflow);
                last_ = now;
                continue;
            }
            if (event->mask & IN_IGNORED) {
                folders_.erase(event->wd);
                continue;
            }
            auto folder = folders_.find(event->wd);
            if (folder == folders_.end() || event->len == 0)
                continue;
            const std::string name = event->name;
            // Editors' own files: swap files, backups, the temporary names of atomic saves.
            if (name.empty() || name[0] == '.' || name.back() == '~' || name[0] == '#')
                continue;
            const std::string path = folder->second.empty() ? name : folder->second + "/" + name;
            if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)))
                watchTree(path);
            if (event->mask & IN_ISDIR)
                continue;
            // A file that is still being written reports again when it is closed.
            if ((event->mask & IN_CREATE) && !(event->mask & IN_CLOSE_WRITE))
                continue;
            batch_.push_back(path);
            last_ = now;
        }
    }
}

bool FileWatcher::poll(Clock::time_point now, std::vector<std::string>& changed) {
    if (fd_ < 0)
        return false;
    readEvents(now);
    if (batch_.empty() || now - last_ < quiet_)
        return false;
    std::sort(batch_.begin(), batch_.end());
    batch_.erase(std::unique(batch_.begin(), batch_.end()), batch_.end());
    changed.swap(batch_);
    batch_.clear();
    return true;
}
