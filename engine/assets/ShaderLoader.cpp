#include "assets/ShaderLoader.h"

#include "core/Diagnostics.h"
#include "core/Paths.h"

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
    const ShaderLoader::IncludeReader& read;
    const std::string& shown;       // prefix that turns an include name into the path a user can find
    std::vector<std::string> stack; // names being expanded, outermost first
    std::string failure;
};

bool fail(Expansion& e, std::string reason) {
    e.failure = std::move(reason);
    return false;
}

bool expand(Expansion& e, const std::string& text, std::string& out) {
    size_t pos = 0;
    for (;;) {
        size_t start = text.find(kDirective, pos);
        if (start == std::string::npos)
            break;
        size_t nameStart = start + kDirectiveLength;
        size_t close = text.find('>', nameStart);
        if (close == std::string::npos)
            return fail(e, "\"#include <\" without a closing '>'");
        std::string name = text.substr(nameStart, close - nameStart);
        for (const std::string& open : e.stack)
            if (open == name)
                return fail(e, "include cycle through \"" + name + "\"");
        if (int(e.stack.size()) >= kMaxDepth)
            return fail(e,
                        "includes nested deeper than " + std::to_string(kMaxDepth) + " at \"" + name + "\"");
        std::string included = e.read(name);
        if (included.empty())
            return fail(e, "included file \"" + e.shown + name + "\" is missing or empty");
        out.append(text, pos, start - pos);
        e.stack.push_back(name);
        bool ok = expand(e, included, out);
        e.stack.pop_back();
        if (!ok)
            return false;
        if (out.size() > kMaxExpandedSize)
            return fail(e, "expanded source exceeds " + std::to_string(kMaxExpandedSize) + " bytes");
        pos = close + 1;
    }
    out.append(text, pos, std::string::npos);
    if (out.size() > kMaxExpandedSize)
        return fail(e, "expanded source exceeds " + std::to_string(kMaxExpandedSize) + " bytes");
    return true;
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
                                  std::string* out, std::string* failure, const std::string* shown) {
    static const std::string none;
    Expansion e{read, shown ? *shown : none, {}, {}};
    std::string result;
    if (!expand(e, text, result)) {
        if (failure)
            *failure = std::move(e.failure);
        else
            diagnostic(file.c_str(), "include", "%s", e.failure.c_str());
        return false;
    }
    *out = std::move(result);
    return true;
}

Ref<Shader> ShaderLoader::load(const std::string& path, int stage) const {
    std::string failure;
    Ref<Shader> shader = loadStage(path, stage, &failure);
    // An absent stage is allowed (the program is built without it); anything else is worth a line.
    if (!shader && failure != "missing file")
        diagnostic(path.c_str(), "shader", "%s", failure.c_str());
    return shader;
}

Ref<Shader> ShaderLoader::loadStage(const std::string& path, int stage, std::string* failure) const {
    std::string why = unreadableFileReason(path);
    if (!why.empty()) {
        *failure = std::move(why);
        return nullptr;
    }
    std::string text = readFile(path);
    if (text.empty()) {
        *failure = "empty shader";
        return nullptr;
    }
    std::string expanded;
    IncludeReader read = [this](const std::string& name) { return readFile(shaderDirectory_ + name); };
    if (!expandIncludes(text, path, read, &expanded, failure, &shaderDirectory_))
        return nullptr;
    if (dump_) {
        size_t slash = path.rfind('/');
        std::string dumpPath = dumpDirectory_ + (slash == std::string::npos ? path : path.substr(slash + 1));
        std::ofstream(dumpPath, std::ios::binary).write(expanded.data(), std::streamsize(expanded.size()));
    }
    return makeRef<Shader>(path, std::move(expanded), std::move(text), stage);
}
