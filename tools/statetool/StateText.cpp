#include "StateText.h"

#include "ReadFailure.h"
#include "post/BlitEngine.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace state_text {

namespace {

constexpr uint32_t kQuietNaN = 0x7fc00000u;

const char* const kShapeNames[] = {"tcb",     "hermite",  "bezier",     "linear",
                                   "stepped", "bezier2d", "hermite_alt"};
const char* const kBehaviourNames[] = {"reset", "constant", "repeat", "oscillate", "offset_repeat", "linear"};

template <size_t N> std::string nameOrNumber(const char* const (&names)[N], int32_t value) {
    return value >= 0 && size_t(value) < N ? names[value] : std::to_string(value);
}

bool parseInt(const std::string& token, int32_t& value) {
    if (token.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(token.c_str(), &end, 10);
    if (*end != 0 || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = int32_t(v);
    return true;
}

template <size_t N> bool parseNamed(const char* const (&names)[N], const std::string& token, int32_t& value) {
    for (size_t i = 0; i < N; ++i)
        if (token == names[i]) {
            value = int32_t(i);
            return true;
        }
    return parseInt(token, value);
}

uint32_t bitsOf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

float floatOf(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

std::vector<std::string> tokens(const std::string& line) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
            ++at;
        size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
            ++end;
        if (end > at)
            out.push_back(line.substr(at, end - at));
        at = end;
    }
    return out;
}

class TextParser {
public:
    TextParser(const std::string& file, PartState& out) : fail_(file, "line"), out_(out) {
        const size_t count = vorndle_state::sections().size();
        out_.sections.assign(count, Section());
        sectionLine_.assign(count, 0);
        fieldLine_.resize(count);
        for (size_t i = 0; i < count; ++i)
            fieldLine_[i].assign(size_t(vorndle_state::sections()[i].fieldCount), 0);
    }

    bool parse(const std::string& text) {
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(at, end - at);
            at = end + 1;
            ++line_;
            const size_t hash = line.find('#');
            if (hash != std::string::npos)
                line.resize(hash);
            if (line.find('\0') != std::string::npos)
                return fail_(line_, "holds a NUL byte");
            const std::vector<std::string> words = tokens(line);
            if (words.empty())
                continue;
            if (!(words[0][0] == '[' ? header(line) : entry(words)))
                return false;
        }
        return finish();
    }

private:
    bool header(const std::string& line) {
        const size_t open = line.find('['), close = line.find(']');
        if (close == std::string::npos || close < open || !tokens(line.substr(close + 1)).empty())
            return fail_(line_, "a section header is \"[name]\" or \"[envelope name]\"");
        const std::vector<std::string> words = tokens(line.substr(open + 1, close - open - 1));
        const bool envelope = words.size() == 2 && words[0] == "envelope";
        if (words.size() != 1 && !envelope)
            return fail_(line_, "a section header is \"[name]\" or \"[envelope name]\"");
        const std::string& name = words.back();
        const int index = vorndle_state::findSection(name);
        if (index < 0 || (vorndle_state::sections()[size_t(index)].kind == SectionKind::Envelope) != envelope)
            return fail_(line_, "there is no %s section \"%s\"", envelope ? "envelope" : "field",
                         name.c_str());
        if (sectionLine_[size_t(index)])
            return fail_(line_, "[%s] appears twice (first on line %d)", name.c_str(),
                         sectionLine_[size_t(index)]);
        if (!closeEnvelope())
            return false;
        sectionLine_[size_t(index)] = line_;
        current_ = index;
        return true;
    }

    bool entry(const std::vector<std::string>& words) {
        if (current_ < 0)
            return fail_(line_, "\"%s\" comes before the first section header", words[0].c_str());
        const SectionLayout& desc = vorndle_state::sections()[size_t(current_)];
        return desc.kind == SectionKind::Envelope ? envelopeEntry(desc, words) : fieldEntry(desc, words);
    }

    bool fieldEntry(const SectionLayout& desc, const std::vector<std::string>& words) {
        int f = 0;
        while (f < desc.fieldCount && words[0] != desc.fields[f].name)
            ++f;
        if (f == desc.fieldCount)
            return fail_(line_, "[%s] has no field \"%s\"", desc.name, words[0].c_str());
        const FieldLayout& field = desc.fields[f];
        int& seen = fieldLine_[size_t(current_)][size_t(f)];
        if (seen)
            return fail_(line_, "%s is given twice (first on line %d)", field.name, seen);
        seen = line_;
        if (int(words.size()) - 1 != field.count)
            return fail_(line_, "%s takes %d value%s, not %d", field.name, field.count,
                         field.count == 1 ? "" : "s", int(words.size()) - 1);
        // Where this field's words go: after those of the fields before it.
        size_t first = 0;
        for (int g = 0; g < f; ++g)
            first += size_t(desc.fields[g].count);
        std::vector<uint32_t>& target = out_.sections[size_t(current_)].words;
        size_t total = 0;
        for (int g = 0; g < desc.fieldCount; ++g)
            total += size_t(desc.fields[g].count);
        target.resize(total);
        for (int n = 0; n < field.count; ++n) {
            const std::string& token = words[size_t(n) + 1];
            uint32_t& word = target[first + size_t(n)];
            int32_t number = 0;
            switch (field.kind) {
            case FieldKind::Float:
                if (!parseFloat(token, word))
                    return fail_(line_, "%s: \"%s\" is not a number", field.name, token.c_str());
                if (desc.finiteOnly && !std::isfinite(floatOf(word)))
                    return fail_(line_, "%s must be a finite number", field.name);
                break;
            case FieldKind::Flag:
                if (token == "on" || token == "1")
                    word = 1;
                else if (token == "off" || token == "0")
                    word = 0;
                else
                    return fail_(line_, "%s is on or off, not \"%s\"", field.name, token.c_str());
                break;
            case FieldKind::PassCount:
                if (!parseInt(token, number) || number < 0 || number > BlitEngine::kMaxPassCount)
                    return fail_(line_, "%s is a pass count 0..%d, not \"%s\"", field.name,
                                 BlitEngine::kMaxPassCount, token.c_str());
                word = uint32_t(number);
                break;
            }
        }
        return true;
    }

    bool envelopeEntry(const SectionLayout& desc, const std::vector<std::string>& words) {
        EnvelopeRecord& envelope = out_.sections[size_t(current_)].envelope;
        const std::string& what = words[0];
        if (what == "pre" || what == "post" || what == "tag") {
            int& seen = what == "pre" ? preLine_ : what == "post" ? postLine_ : tagLine_;
            if (seen)
                return fail_(line_, "%s is given twice in [envelope %s]", what.c_str(), desc.name);
            seen = line_;
            if (words.size() != 2)
                return fail_(line_, "%s takes one value", what.c_str());
            int32_t& target = what == "pre" ? envelope.pre : what == "post" ? envelope.post : envelope.tag;
            const bool ok =
                what == "tag" ? parseInt(words[1], target) : parseNamed(kBehaviourNames, words[1], target);
            if (!ok)
                return fail_(line_, "%s: \"%s\" is not %s", what.c_str(), words[1].c_str(),
                             what == "tag" ? "a whole number" : "a behaviour (reset, constant, repeat, ...)");
            return true;
        }
        if (what != "key")
            return fail_(line_, "[envelope %s] holds pre, post, tag and key lines, not \"%s\"", desc.name,
                         what.c_str());
        const size_t n = words.size() - 1;
        if (n != 3 && n != 6 && n != 10)
            return fail_(line_, "a key is: value time shape [tension continuity bias [param0 .. param3]]");
        Key key;
        if (!parseNamed(kShapeNames, words[3], key.shape))
            return fail_(line_, "\"%s\" is not a key shape (tcb, hermite, bezier, linear, stepped, ...)",
                         words[3].c_str());
        float* numbers[9] = {&key.value,    &key.time,     &key.tension,  &key.continuity, &key.bias,
                             &key.param[0], &key.param[1], &key.param[2], &key.param[3]};
        for (size_t i = 1, slot = 0; i <= n; ++i) {
            if (i == 3)
                continue;
            uint32_t bits = 0;
            if (!parseFloat(words[i], bits))
                return fail_(line_, "\"%s\" is not a number", words[i].c_str());
            *numbers[slot++] = floatOf(bits);
        }
        envelope.keys.push_back(key);
        return true;
    }

    // Checks what the section just left needed; the envelope counters restart for the next one.
    bool closeEnvelope() {
        if (current_ >= 0 && vorndle_state::sections()[size_t(current_)].kind == SectionKind::Envelope) {
            const SectionLayout& desc = vorndle_state::sections()[size_t(current_)];
            const int at = sectionLine_[size_t(current_)];
            if (!preLine_ || !postLine_)
                return fail_(at, "[envelope %s] needs a pre and a post line", desc.name);
            if (out_.sections[size_t(current_)].envelope.keys.empty())
                return fail_(at, "[envelope %s] needs at least one key", desc.name);
        }
        preLine_ = postLine_ = tagLine_ = 0;
        return true;
    }

    bool finish() {
        // Envelope lines are counted per section, so each header closes the one before; the last
        // is closed here. Fields are checked once for all sections.
        if (!closeEnvelope())
            return false;
        const vorndle_state::SectionList& sections = vorndle_state::sections();
        for (size_t i = 0; i < sections.size(); ++i) {
            if (!sectionLine_[i])
                return fail_(line_ > 0 ? line_ : 1, "[%s%s] is missing",
                             sections[i].kind == SectionKind::Envelope ? "envelope " : "", sections[i].name);
            for (int f = 0; f < sections[i].fieldCount; ++f)
                if (!fieldLine_[i][size_t(f)])
                    return fail_(sectionLine_[i], "[%s] lacks %s", sections[i].name,
                                 sections[i].fields[f].name);
        }
        return true;
    }

    ReadFailure fail_;
    PartState& out_;
    int line_ = 0;
    int current_ = -1;
    int preLine_ = 0, postLine_ = 0, tagLine_ = 0;
    std::vector<int> sectionLine_;
    std::vector<std::vector<int>> fieldLine_;
};

void appendPadded(std::string& out, const std::string& text, size_t width) {
    out += text;
    out.append(text.size() < width ? width - text.size() : 1, ' ');
}

void appendNote(std::string& out, const char* note) {
    if (note && *note) {
        out += "  # ";
        out += note;
    }
    out += '\n';
}

} // namespace

std::string formatFloat(uint32_t bits) {
    const float f = floatOf(bits);
    if (std::isinf(f))
        return f > 0 ? "inf" : "-inf";
    if (std::isnan(f)) {
        if (bits == kQuietNaN)
            return "nan";
        char text[24];
        std::snprintf(text, sizeof text, "nan(0x%08x)", bits);
        return text;
    }
    char text[32];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, double(f));
        if (bitsOf(std::strtof(text, nullptr)) == bits)
            break;
    }
    return text;
}

bool parseFloat(const std::string& token, uint32_t& bits) {
    if (token == "inf" || token == "+inf" || token == "-inf") {
        bits = bitsOf(token[0] == '-' ? -INFINITY : INFINITY);
        return true;
    }
    if (token == "nan") {
        bits = kQuietNaN;
        return true;
    }
    if (token.size() == 15 && token.compare(0, 6, "nan(0x") == 0 && token.back() == ')') {
        char* end = nullptr;
        const std::string hex = token.substr(6, 8);
        const unsigned long v = std::strtoul(hex.c_str(), &end, 16);
        if (*end != 0 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return false;
        bits = uint32_t(v);
        return std::isnan(floatOf(bits));
    }
    // Decimal numbers only: strtof would also take hexadecimal floats and spelled-out words.
    if (token.empty() || token.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return false;
    char* end = nullptr;
    errno = 0;
    const float f = std::strtof(token.c_str(), &end);
    if (end == token.c_str() || *end != 0 || std::isinf(f))
        return false;
    bits = bitsOf(f);
    return true;
}

bool parseText(const std::string& text, const std::string& file, PartState& out) {
    TextParser parser(file, out);
    return parser.parse(text);
}

std::string formatText(const PartState& state) {
    std::string out;
    const vorndle_state::SectionList& sections = vorndle_state::sections();
    for (size_t i = 0; i < sections.size() && i < state.sections.size(); ++i) {
        const SectionLayout& desc = sections[i];
        const Section& section = state.sections[i];
        if (i > 0)
            out += '\n';
        std::string header =
            std::string("[") + (desc.kind == SectionKind::Envelope ? "envelope " : "") + desc.name + "]";
        out += header;
        appendNote(out, desc.note);
        if (desc.kind == SectionKind::Envelope) {
            const EnvelopeRecord& e = section.envelope;
            out += "pre " + nameOrNumber(kBehaviourNames, e.pre) + "\n";
            out += "post " + nameOrNumber(kBehaviourNames, e.post) + "\n";
            if (e.tag != 0)
                out += "tag " + std::to_string(e.tag) + "\n";
            for (const Key& k : e.keys) {
                out += "key " + formatFloat(bitsOf(k.value)) + " " + formatFloat(bitsOf(k.time)) + " " +
                       nameOrNumber(kShapeNames, k.shape);
                const bool params =
                    bitsOf(k.param[0]) || bitsOf(k.param[1]) || bitsOf(k.param[2]) || bitsOf(k.param[3]);
                if (params || bitsOf(k.tension) || bitsOf(k.continuity) || bitsOf(k.bias))
                    for (float v : {k.tension, k.continuity, k.bias})
                        out += " " + formatFloat(bitsOf(v));
                if (params)
                    for (float v : k.param)
                        out += " " + formatFloat(bitsOf(v));
                out += '\n';
            }
            continue;
        }
        size_t word = 0;
        for (int f = 0; f < desc.fieldCount; ++f) {
            const FieldLayout& field = desc.fields[f];
            std::string values;
            for (int n = 0; n < field.count; ++n, ++word) {
                const uint32_t v = word < section.words.size() ? section.words[word] : 0;
                if (n > 0)
                    values += ' ';
                values += field.kind == FieldKind::Float  ? formatFloat(v)
                          : field.kind == FieldKind::Flag ? (v ? "on" : "off")
                                                          : std::to_string(v);
            }
            appendPadded(out, field.name, 26);
            if (field.note && *field.note)
                appendPadded(out, values, 12);
            else
                out += values;
            appendNote(out, field.note);
        }
    }
    return out;
}

} // namespace state_text
