#include "ToolRun.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

ToolResult runTool(const std::string& tool, const std::string& arguments) {
    TempDir dir;
    std::string command = std::string(VORNDLE_BINARY_DIR) + "/tools/" + tool + " " + arguments + " >" +
                          dir.file("out") + " 2>" + dir.file("err");
    int raw = std::system(command.c_str());
    ToolResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readText(dir.file("out"));
    r.err = readText(dir.file("err"));
    return r;
}
