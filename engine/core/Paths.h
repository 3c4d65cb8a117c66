#pragma once

#include <string>

// Files are named relative to the demo root ("data/demo.xml"); the root is the folder that holds
// the executable unless the command line names another.
void setDemoRoot(const std::string& root);
const std::string& demoRoot();
// The root-relative path as a path to open. Absolute paths are returned unchanged.
std::string resolveDataPath(const std::string& relative);
// The folder that holds the running executable (empty if it cannot be found).
std::string executableDirectory();
// The demo root of the program at `executable` when the command line names none: its own folder
// when that holds data/ (a build tree, an unpacked archive), else PREFIX/share/games/NAME for an
// installed PREFIX/games/NAME when that holds data/, else its own folder again (so that messages
// name the files missing beside it).
std::string demoRootFor(const std::string& executable);
// demoRootFor() of the running executable.
std::string defaultDemoRoot();
// Why `path` cannot be read as a file, in a few words ("missing file", "dangling symbolic link",
// "symbolic link loop", "is a directory", "cannot be opened (Permission denied)"), or an empty
// string when it can be opened for reading.
std::string unreadableFileReason(const std::string& path);
