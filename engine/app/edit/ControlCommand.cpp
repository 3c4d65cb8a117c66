#include "app/edit/ControlCommand.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// Splits on spaces and tabs; false for bytes no command contains (control characters, bytes
// above 126), so that garbage is refused as a whole rather than half read.
bool splitWords(std::string_view line, std::vector<std::string_view>& words) {
    size_t at = 0;
    while (at < line.size()) {
        const unsigned char c = static_cast<unsigned char>(line[at]);
        if (c == ' ' || c == '\t') {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') {
            const unsigned char d = static_cast<unsigned char>(line[end]);
            if (d < 32 || d > 126)
                return false;
            ++end;
        }
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    return true;
}

bool parseNumber(std::string_view word, double& out) {
    if (word.empty() || word.size() > 64)
        return false;
    const std::string text(word);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (errno || *end || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

struct Word {
    const char* name;
    ControlCommand::Kind kind;
    int numbers; // how many numbers follow
};
constexpr Word kWords[] = {
    {"seek", ControlCommand::Seek, 1},     {"pause", ControlCommand::Pause, 0},
    {"play", ControlCommand::Play, 0},     {"loop", ControlCommand::Loop, 2},
    {"speed", ControlCommand::Speed, 1},   {"reload", ControlCommand::Reload, 0},
    {"status", ControlCommand::Status, 0}, {"quit", ControlCommand::Quit, 0},
};

} // namespace

bool parseControlCommand(std::string_view line, ControlCommand& out, std::string& error) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::vector<std::string_view> words;
    if (!splitWords(line, words)) {
        error = "the line holds bytes no command has";
        return false;
    }
    if (words.empty()) {
        error = "empty line";
        return false;
    }
    out = ControlCommand();
    const std::string_view verb = words[0];
    if (verb == "still") {
        // The file name is the rest of the line, so it may hold spaces.
        const size_t at = line.find("still") + 5;
        std::string_view rest = line.substr(at);
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
            rest.remove_suffix(1);
        if (rest.empty()) {
            error = "still wants a file name";
            return false;
        }
        out.kind = ControlCommand::Still;
        out.path = std::string(rest);
        return true;
    }
    if (verb == "loop" && words.size() == 2 && words[1] == "off") {
        out.kind = ControlCommand::LoopOff;
        return true;
    }
    for (const Word& word : kWords) {
        if (verb != word.name)
            continue;
        if (static_cast<int>(words.size()) != 1 + word.numbers) {
            error = std::string(word.name) + (word.numbers == 0   ? " takes no argument"
                                              : word.numbers == 1 ? " wants one number"
                                                                  : " wants two beats or \"off\"");
            return false;
        }
        double numbers[2] = {0, 0};
        for (int i = 0; i < word.numbers; ++i)
            if (!parseNumber(words[size_t(i) + 1], numbers[i])) {
                error = std::string(word.name) + ": \"" + std::string(words[size_t(i) + 1]).substr(0, 32) +
                        "\" is not a number";
                return false;
            }
        out.kind = word.kind;
        out.first = numbers[0];
        out.second = numbers[1];
        if (out.kind == ControlCommand::Loop && !(out.second > out.first)) {
            error = "loop: the end must lie after the start";
            return false;
        }
        if (out.kind == ControlCommand::Speed && !(out.first >= 0.25 && out.first <= 2.0)) {
            error = "speed: the factor must lie between 0.25 and 2";
            return false;
        }
        return true;
    }
    error = "unknown command \"" + std::string(verb).substr(0, 32) + "\"";
    return false;
}
