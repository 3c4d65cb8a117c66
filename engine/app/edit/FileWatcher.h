#pragma once

#include <chrono>
#include <string>
#include <unordered_map>
#include <vector>

// Watches a folder tree for files written, replaced, made or removed (inotify, by folder, so an
// editor that saves a new file and renames it over the old one is seen), without blocking.
// Changes are handed out in batches once the tree has been quiet for a short while, so one save
// that touches a file several times, or several files at once, reloads once.
class FileWatcher {
public:
    using Clock = std::chrono::steady_clock;

    FileWatcher() = default;
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // Watches `root` and every folder below it (symbolic links followed), folders made later
    // included. False with `error` set to one line.
    [[nodiscard]] bool open(const std::string& root, std::chrono::milliseconds quiet, std::string& error);
    void close();

    // Stands for every file when more changed than the kernel could report one by one.
    static constexpr const char* kOverflow = "(more files than could be told apart)";

    // Reads the changes that arrived; once none has arrived for the quiet time, moves the batch's
    // paths (relative to the root, each once, sorted) into `changed` and answers true.
    bool poll(Clock::time_point now, std::vector<std::string>& changed);

private:
    void watchTree(const std::string& folder);
    void readEvents(Clock::time_point now);

    int fd_ = -1;
    std::string root_;
    std::chrono::milliseconds quiet_{0};
    std::unordered_map<int, std::string> folders_; // watch descriptor -> folder relative to the root
    std::vector<std::string> batch_;
    Clock::time_point last_;
};
