#pragma once

#include "app/edit/FileWatcher.h"

#include <string>
#include <sys/types.h>
#include <vector>

// The source tree behind a build's played tree (--sources with --edit): files saved under its
// data/ are copied into the played data/ at once, and a change under its content/ runs the build's
// own rules for the generated data in the background (`cmake --build ROOT --target vorndle_data`);
// what they write into the played tree is then seen like any other saved file.
class SourceTree {
public:
    SourceTree() = default;
    ~SourceTree();
    SourceTree(const SourceTree&) = delete;
    SourceTree& operator=(const SourceTree&) = delete;

    // `sources` holds data/ (and content/ when the played root is a build folder); `played` is the
    // played tree's data/ folder and `buildRoot` the build folder, empty when there is none.
    [[nodiscard]] bool open(const std::string& sources, const std::string& played,
                            const std::string& buildRoot, std::string& error);

    // Copies what was saved, starts or finishes a rebuild. Answers a line to show when something
    // happened (empty otherwise).
    std::string poll(FileWatcher::Clock::time_point now);
    bool rebuilding() const { return rebuild_ > 0; }

private:
    bool copyIntoPlayed(const std::string& relative, std::string& error) const;
    void startRebuild();

    std::string sources_, played_, buildRoot_;
    FileWatcher data_, content_;
    std::vector<std::string> changed_;
    pid_t rebuild_ = -1;
    bool rebuildAgain_ = false;
};
