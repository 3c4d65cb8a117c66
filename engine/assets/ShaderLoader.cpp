#include "assets/ShaderLoader.h"

#include "core/Diagnostics.h"
#include "core/Paths.h"

#include <algorithm>
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
    // With line marks: the files by source string number (0 the stage file), and the number of the
    // text being expanded.
    std::vector<std::string>* files = nullptr;
    int current = 0;
    // Whether the text written so far holds its "#version": no line directive may come before it
    // (an included file may be what carries it). The output is searched once, up to `searched`.
    bool versionWritten = false;
    size_t searched = 0;
};

bool versionWritten(Expansion& e, const std::string& out) {
    if (!e.versionWritten) {
        constexpr size_t kWord = sizeof "#version" - 1;
        e.versionWritten =
            out.find("#version", e.searched > kWord ? e.searched - kWord : 0) != std::string::npos;
        e.searched = out.size();
    }
    return e.versionWritten;
}

// The number of `name` in the table of files, added on first use.
int fileNumber(Expansion& e, const std::string& name) {
    const std::string path = e.shown + name;
    for (size_t i = 1; i < e.files->size(); ++i)
        if ((*e.files)[i] == path)
            return int(i);
    e.files->push_back(path);
    return int(e.files->size() - 1);
}

// Whether the directive at `start`, closing at `close`, stands alone on its line (blanks after it
// allowed): only such directives are marked with line numbers, so the text keeps its shape
// elsewhere.
bool standsAlone(const std::string& text, size_t start, size_t close) {
    if (start > 0 && text[start - 1] != '\n')
        return false;
    for (size_t i = close + 1; i < text.size() && text[i] != '\n'; ++i)
        if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r')
            return false;
    return true;
}

bool fail(Expansion& e, std::string reason) {
    e.failure = std::move(reason);
    return false;
}

bool expand(Expansion& e, const std::string& text, std::string& out) {
    size_t pos = 0;
    // The line of `text` that `counted` lies on, counted as directives are met.
    long line = 1;
    size_t counted = 0;
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
        const bool alone = e.files && standsAlone(text, start, close);
        const bool marked = alone && versionWritten(e, out);
        const int parent = e.current;
        if (marked) {
            e.current = fileNumber(e, name);
            out += "#line 1 " + std::to_string(e.current) + "\n";
        }
        e.stack.push_back(name);
        bool ok = expand(e, included, out);
        e.stack.pop_back();
        if (!ok)
            return false;
        // After an include that brought the "#version" the parent's lines are marked again.
        if (alone && versionWritten(e, out)) {
            // The parent goes on at the line after the directive; the directive's own line end
            // follows in the parent's text and ends this mark.
            e.current = parent;
            if (out.empty() || out.back() != '\n')
                out += '\n';
            line += long(std::count(text.begin() + long(counted), text.begin() + long(start), '\n'));
            counted = start;
            out += "#line " + std::to_string(line + 1) + " " + std::to_string(parent);
        }
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
                                  std::string* out, std::string* failure, const std::string* shown,
                                  std::vector<std::string>* files) {
    static const std::string none;
    Expansion e{read, shown ? *shown : none, {}, {}};
    if (files) {
        files->assign(1, file);
        e.files = files;
    }
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
    std::vector<std::string> files;
    IncludeReader read = [this](const std::string& name) { return readFile(shaderDirectory_ + name); };
    if (!expandIncludes(text, path, read, &expanded, failure, &shaderDirectory_, &files))
        return nullptr;
    if (dump_) {
        size_t slash = path.rfind('/');
        std::string dumpPath = dumpDirectory_ + (slash == std::string::npos ? path : path.substr(slash + 1));
        std::ofstream(dumpPath, std::ios::binary).write(expanded.data(), std::streamsize(expanded.size()));
    }
    Ref<Shader> shader = makeRef<Shader>(path, std::move(expanded), std::move(text), stage);
    shader->setSourceFiles(std::move(files));
    return shader;
}
