#pragma once

#include <string>

// Runs a built tool with arguments (already shell-quoted as needed), capturing its output.
struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

ToolResult runTool(const std::string& tool, const std::string& arguments);
std::string readText(const std::string& path);
