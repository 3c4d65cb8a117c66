// statetool: builds a scene part's state file (gzip) from its readable text, and dumps one back.
#include "StateText.h"

#include "core/Diagnostics.h"
#include "core/Version.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const char* usage = "usage: statetool build PART.state OUT.dat\n"
                    "       statetool dump IN.dat [-o OUT.state]\n"
                    "       statetool --version\n"
                    "\n"
                    "build  compiles the text form of a part's state into a gzip-compressed state file\n"
                    "dump   writes a state file as text (standard output unless -o); building that text\n"
                    "       gives the same bytes again\n";

bool readText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        diagnostic(path.c_str(), "-", "cannot be opened");
        return false;
    }
    // The text is read whole: refuse what no state could need before reading it.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || uint64_t(size) > state_text::kMaxFileBytes) {
        diagnostic(path.c_str(), "-", "is not a state text (%lld bytes)", static_cast<long long>(size));
        return false;
    }
    in.seekg(0);
    text.assign(size_t(size), '\0');
    if (!in.read(&text[0], size)) {
        diagnostic(path.c_str(), "-", "cannot be read");
        return false;
    }
    return true;
}

int build(const std::string& source, const std::string& output) {
    std::string text;
    state_text::PartState state;
    if (!readText(source, text) || !state_text::parseText(text, source, state))
        return 1;
    return state_text::writeStateFile(output, state) ? 0 : 1;
}

int dump(const std::string& input, const std::string& output) {
    state_text::PartState state;
    if (!state_text::readStateFile(input, state))
        return 1;
    const std::string text = "# " + input + "\n" + state_text::formatText(state);
    if (output.empty())
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
    std::ofstream out(output, std::ios::binary);
    if (!out.write(text.data(), std::streamsize(text.size())) || !out.flush()) {
        diagnostic(output.c_str(), "-", "cannot be written");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (versionRequested(argc, argv))
        return printVersion("statetool");
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command == "build" && argc == 4)
        return build(argv[2], argv[3]);
    if (command == "dump" && argc == 3)
        return dump(argv[2], "");
    if (command == "dump" && argc == 5 && std::strcmp(argv[3], "-o") == 0)
        return dump(argv[2], argv[4]);
    std::fputs(usage, stderr);
    return 2;
}
