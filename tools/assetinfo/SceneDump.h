#pragma once

#include <string>
#include <vector>

// assetinfo --root DIR [--at BEAT] FILE.xml: loads the demo description of DIR and each scene
// file (hidden GL context), updates the scene at BEAT and prints one JSON line per node in scene
// order. Answers the exit status: 1 after one line on standard error for anything unreadable.
int dumpScenes(const std::string& root, float beat, const std::vector<std::string>& files);
// Reads "--root" (DIR) or "--at" (BEAT); false after a line on standard error.
[[nodiscard]] bool parseSceneOption(const std::string& option, const char* value, std::string& root,
                                    float& beat);
