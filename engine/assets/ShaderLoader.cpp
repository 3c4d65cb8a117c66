#include "assets/ShaderLoader.h"

#include "app/Diagnostics.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace {

constexpr char kDirective[] = "#include <";
constexpr size_t kDirectiveLength = sizeof kDirective - 1;
constexpr int kMaxDepth = 32;
constexpr size_t kMaxExpandedSize = size_t(64) << 20;

struct Expansion {
    const std::string& file;
    const ShaderLoader::IncludeReader& read;
    std::vector<std::string> stack; // names being expanded, outermost first
};

bool expand(Expansion& e, const std::string& text, std::string& out) {
    size_t pos = 0;
    for (;;) {
        size_t start = text.find(kDirective, pos);
        if (start == std::string::npos)
            break;
        size_t nameStart = start + kDirectiveLength;
        size_t close = text.find('>', nameStart);
        if (close == std::string::npos) {
            diagnostic(e.file.c_str(), "include", "\"#include <\" without a closing '>'");
            return false;
        }
        std::string name = text.substr(nameStart, close - nameStart);
        for (const std::string& open : e.stack)
            if (open == name) {
                diagnostic(e.file.c_str(), "include", "include cycle through \"%s\"", name.c_str());
                return false;
            }
        if (int(e.stack.size()) >= kMaxDepth) {
            diagnostic(e.file.c_str(), "include", "includes nested deeper than %d at \"%s\"", kMaxDepth,
                       name.c_str());
            return false;
        }
        std::string included = e.read(name);
        if (included.empty()) {
            diagnostic(e.file.c_str(), "include", "included file \"%s\" is missing or empty", name.c_str());
            return false;
        }
        out.append(text, pos, start - pos);
        e.stack.push_back(name);
        bool ok = expand(e, included, out);
        e.stack.pop_back();
        if (!ok)
            return false;
        if (out.size() > kMaxExpandedSize) {
            diagnostic(e.file.c_str(), "include", "expanded source exceeds %zu bytes", kMaxExpandedSize);
            return false;
        }
        pos = close + 1;
    }
    out.append(text, pos, std::string::npos);
    return out.size() <= kMaxExpandedSize;
}

} // namespace

ShaderLoader::ShaderLoader(std::string shaderDirectory)
    : Loader("vert:frag:geom:"), shaderDirectory_(std::move(shaderDirectory)) {}

std::string ShaderLoader::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::string();
    std::ostringstream text;
    text << in.rdbuf();
    return in.bad() ? std::string() : text.str();
}

bool ShaderLoader::expandIncludes(const std::string& text, const std::string& file, const IncludeReader& read,
                                  std::string* out) {
    Expansion e{file, read, {}};
    std::string result;
    if (!expand(e, text, result))
        return false;
    *out = std::move(result);
    return true;
}

Ref<Shader> ShaderLoader::load(const std::string& path, int stage) const {
    std::string text = readFile(path);
    if (text.empty())
        return nullptr;
    std::string expanded;
    IncludeReader read = [this](const std::string& name) { return readFile(shaderDirectory_ + name); };
    if (!expandIncludes(text, path, read, &expanded))
        return nullptr;
    if (dump_) {
        size_t slash = path.rfind('/');
        std::string dumpPath = dumpDirectory_ + (slash == std::string::npos ? path : path.substr(slash + 1));
        std::ofstream(dumpPath, std::ios::binary).write(expanded.data(), std::streamsize(expanded.size()));
    }
    return makeRef<Shader>(path, std::move(expanded), std::move(text), stage);
}
