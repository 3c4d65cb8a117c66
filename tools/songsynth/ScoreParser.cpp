#include "ScoreParser.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

struct Token {
    std::string text;
    int column = 0;
};

struct DrumName {
    const char* name;
    int key;
};

// General MIDI percussion keys under short names.
constexpr DrumName drumNames[] = {
    {"kick", 36},   {"kick2", 35},  {"rim", 37},    {"snare", 38},    {"clap", 39},      {"snare2", 40},
    {"tom1", 41},   {"hat", 42},    {"tom2", 43},   {"phat", 44},     {"tom3", 45},      {"ohat", 46},
    {"tom4", 47},   {"tom5", 48},   {"crash", 49},  {"tom6", 50},     {"ride", 51},      {"china", 52},
    {"bell", 53},   {"tamb", 54},   {"splash", 55}, {"cowbell", 56},  {"crash2", 57},    {"ride2", 59},
    {"cabasa", 69}, {"shaker", 70}, {"claves", 75}, {"triangle", 81}, {"mtriangle", 80},
};

bool isNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
}

bool validName(const std::string& s) {
    if (s.empty() || s.size() > 64 || !isNameStart(s[0]))
        return false;
    for (char c : s)
        if (!isNameChar(c))
            return false;
    return true;
}

// A finite decimal, or a fraction A/B of two decimals.
bool parseNumber(const std::string& s, double& out) {
    if (s.empty() || s.size() > 32)
        return false;
    size_t slash = s.find('/');
    if (slash != std::string::npos) {
        double a = 0, b = 0;
        if (!parseNumber(s.substr(0, slash), a) || !parseNumber(s.substr(slash + 1), b) || b == 0)
            return false;
        out = a / b;
        return std::isfinite(out);
    }
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+'))
            return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(out);
}

bool parseInteger(const std::string& s, int& out) {
    double d = 0;
    if (!parseNumber(s, d) || s.find('/') != std::string::npos || d != std::floor(d) || std::fabs(d) > 1e6)
        return false;
    out = static_cast<int>(d);
    return true;
}

int noteKey(const std::string& s) {
    static const int pitch[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (s.size() < 2 || s.size() > 4)
        return -1;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    if (letter < 'A' || letter > 'G')
        return -1;
    int key = pitch[letter - 'A'];
    size_t i = 1;
    if (s[i] == '#') {
        ++key;
        ++i;
    } else if (s[i] == 'b' && i + 1 < s.size()) {
        --key;
        ++i;
    }
    int octave = 0;
    std::string rest = s.substr(i);
    if (rest.empty() || (rest.size() == 2 && rest[0] != '-') || rest.size() > 2)
        return -1;
    for (size_t k = rest[0] == '-' ? 1 : 0; k < rest.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(rest[k])))
            return -1;
    if (rest == "-")
        return -1;
    octave = std::atoi(rest.c_str());
    key += 12 * (octave + 1);
    return key >= 0 && key <= 127 ? key : -1;
}

enum class Block { None, Track, Pattern };

class Parser {
public:
    Parser(const std::string& file, Score& score, std::string& error)
        : file_(file), score_(score), error_(error) {}

    bool run(const std::string& text);

private:
    bool fail(int column, const std::string& reason) {
        std::ostringstream s;
        s << file_ << ':' << line_ << ':' << column << ": " << reason;
        error_ = s.str();
        return false;
    }
    bool fail(const Token& t, const std::string& reason) { return fail(t.column, reason); }
    bool failEnd(const std::string& reason) { return fail(endColumn_, reason); }

    SourcePlace place(const Token& t) const { return {line_, t.column}; }

    bool statement(const std::vector<Token>& t);
    bool tempoChange(const std::vector<Token>& t);
    bool meterChange(const std::vector<Token>& t);
    bool mark(const std::vector<Token>& t);
    bool synth(const std::vector<Token>& t);
    bool trackHeader(const std::vector<Token>& t);
    bool patternHeader(const std::vector<Token>& t);
    bool play(const std::vector<Token>& t);
    bool ramp(const std::vector<Token>& t);
    bool rampTrack(const std::vector<Token>& t, ScoreRamp& r);
    bool level(const std::vector<Token>& t);
    bool trackSetting(const std::vector<Token>& t);
    bool patternLine(const std::vector<Token>& t);
    bool step(const Token& t);

    bool number(const std::vector<Token>& t, size_t i, double& out, double lo, double hi, const char* what);
    bool integer(const std::vector<Token>& t, size_t i, int& out, int lo, int hi, const char* what);
    bool expectEnd(const std::vector<Token>& t, size_t count);
    // Reads "at BEAT" at t[i], t[i + 1]; absent (end of line) leaves `beat` as it is when optional.
    bool atBeat(const std::vector<Token>& t, size_t i, double& beat, bool optional);
    int trackIndex(const Token& t, bool allowAll);
    bool range(const Token& t, double& a, double& b, double lo, double hi, const char* what);

    const std::string& file_;
    Score& score_;
    std::string& error_;
    int line_ = 0;
    int endColumn_ = 1;
    size_t statements_ = 0;
    Block block_ = Block::None;
    // The pattern being read: its cursor, default velocity, gate and the length carried over.
    double cursor_ = 0;
    int velocity_ = 90;
    double gate_ = 1;
    double stepLength_ = 1;
    bool fixedLength_ = false;
};

// A top-level statement and the member that reads it.
struct Statement {
    const char* word;
    bool (Parser::*read)(const std::vector<Token>&);
};

bool Parser::run(const std::string& text) {
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        ++line_;
        std::vector<Token> tokens;
        size_t i = 0;
        while (i < raw.size()) {
            char c = raw[i];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
                continue;
            }
            if (c == '#')
                break;
            size_t start = i;
            while (i < raw.size() && raw[i] != ' ' && raw[i] != '\t' && raw[i] != '\r') {
                if (static_cast<unsigned char>(raw[i]) < 32 || static_cast<unsigned char>(raw[i]) > 126)
                    return fail(static_cast<int>(i) + 1, "unexpected character");
                ++i;
            }
            tokens.push_back({raw.substr(start, i - start), static_cast<int>(start) + 1});
        }
        endColumn_ = static_cast<int>(raw.size()) + 1;
        if (tokens.empty())
            continue;
        if (++statements_ > ScoreParser::maxStatements)
            return fail(1, "too many lines");
        if (!statement(tokens))
            return false;
    }
    if (block_ == Block::Pattern && !fixedLength_)
        score_.patterns.back().length = cursor_;
    line_ = 1;
    if (score_.lengthBeats <= 0)
        return fail(1, "the score has no length (add \"length BEATS\")");
    if (score_.tempos.empty())
        return fail(1, "the score has no tempo (add \"tempo BPM\")");
    if (score_.meters.empty())
        score_.meters.push_back(MeterChange{});
    return true;
}

bool Parser::number(const std::vector<Token>& t, size_t i, double& out, double lo, double hi,
                    const char* what) {
    if (i >= t.size())
        return failEnd(std::string("expected ") + what);
    if (!parseNumber(t[i].text, out))
        return fail(t[i], std::string("expected ") + what + ", found \"" + t[i].text + "\"");
    if (out < lo || out > hi) {
        std::ostringstream s;
        s << what << " " << t[i].text << " is outside " << lo << ".." << hi;
        return fail(t[i], s.str());
    }
    return true;
}

bool Parser::integer(const std::vector<Token>& t, size_t i, int& out, int lo, int hi, const char* what) {
    if (i >= t.size())
        return failEnd(std::string("expected ") + what);
    if (!parseInteger(t[i].text, out))
        return fail(t[i], std::string("expected ") + what + " (a whole number), found \"" + t[i].text + "\"");
    if (out < lo || out > hi) {
        std::ostringstream s;
        s << what << " " << out << " is outside " << lo << ".." << hi;
        return fail(t[i], s.str());
    }
    return true;
}

bool Parser::expectEnd(const std::vector<Token>& t, size_t count) {
    if (t.size() > count)
        return fail(t[count], "unexpected \"" + t[count].text + "\"");
    return true;
}

bool Parser::atBeat(const std::vector<Token>& t, size_t i, double& beat, bool optional) {
    if (i >= t.size()) {
        if (optional)
            return true;
        return failEnd("expected \"at BEAT\"");
    }
    if (t[i].text != "at")
        return fail(t[i], "expected \"at\", found \"" + t[i].text + "\"");
    return number(t, i + 1, beat, 0, 1e5, "beat");
}

int Parser::trackIndex(const Token& t, bool allowAll) {
    if (allowAll && t.text == "*")
        return -1;
    for (size_t i = 0; i < score_.tracks.size(); ++i)
        if (score_.tracks[i].name == t.text)
            return static_cast<int>(i);
    fail(t, "unknown track \"" + t.text + "\"");
    return -2;
}

bool Parser::range(const Token& t, double& a, double& b, double lo, double hi, const char* what) {
    size_t dots = t.text.find("..");
    std::string reason = std::string("expected a range of ") + what + " like 0..16, found \"" + t.text + "\"";
    if (dots == std::string::npos || !parseNumber(t.text.substr(0, dots), a) ||
        !parseNumber(t.text.substr(dots + 2), b))
        return fail(t, reason);
    if (a < lo || a > hi || b < lo || b > hi) {
        std::ostringstream s;
        s << what << " " << t.text << " is outside " << lo << ".." << hi;
        return fail(t, s.str());
    }
    return true;
}

// Top-level statements that set one number of the score; `place`, when set, keeps where it was given.
struct ScoreNumber {
    const char* word;
    double Score::*value;
    SourcePlace Score::*place;
    double lo, hi;
    const char* what;
};

constexpr ScoreNumber scoreNumbers[] = {
    {"length", &Score::lengthBeats, &Score::lengthPlace, 1e-3, 1e5, "length in beats"},
    {"tail", &Score::tailSeconds, nullptr, 0, 30, "tail in seconds"},
    {"loudness", &Score::loudness, nullptr, -40, -6, "loudness in LUFS"},
    {"ceiling", &Score::ceiling, nullptr, -12, 0, "ceiling in dBTP"},
};

template <class Entry, size_t N> const Entry* findWord(const Entry (&table)[N], const std::string& word) {
    for (const Entry& e : table)
        if (word == e.word)
            return &e;
    return nullptr;
}

bool Parser::statement(const std::vector<Token>& t) {
    // The other top-level statements, each read by its own member.
    static constexpr Statement statements[] = {
        {"tempo", &Parser::tempoChange}, {"time", &Parser::meterChange},  {"mark", &Parser::mark},
        {"synth", &Parser::synth},       {"track", &Parser::trackHeader}, {"pattern", &Parser::patternHeader},
        {"play", &Parser::play},         {"cresc", &Parser::ramp},        {"dim", &Parser::ramp},
        {"level", &Parser::level},
    };
    const std::string& word = t[0].text;
    const ScoreNumber* setting = findWord(scoreNumbers, word);
    const Statement* other = setting ? nullptr : findWord(statements, word);
    if (!setting && !other) {
        if (block_ == Block::Track)
            return trackSetting(t);
        if (block_ == Block::Pattern)
            return patternLine(t);
        return fail(t[0], "unknown statement \"" + word + "\"");
    }
    if (block_ == Block::Pattern && !fixedLength_)
        score_.patterns.back().length = cursor_;
    block_ = Block::None;

    if (setting) {
        if (setting->place)
            score_.*setting->place = place(t[0]);
        if (!number(t, 1, score_.*setting->value, setting->lo, setting->hi, setting->what) ||
            !expectEnd(t, 2))
            return false;
    } else if (!(this->*other->read)(t)) {
        return false;
    }
    if (score_.ramps.size() > ScoreParser::maxStatements)
        return fail(t[0], "too many dynamics");
    return true;
}

bool Parser::tempoChange(const std::vector<Token>& t) {
    TempoChange c;
    c.place = place(t[0]);
    if (!number(t, 1, c.bpm, 10, 400, "tempo") || !atBeat(t, 2, c.beat, true) || !expectEnd(t, 4))
        return false;
    if (score_.tempos.empty() && c.beat != 0)
        return fail(t[0], "the first tempo must be at beat 0");
    if (!score_.tempos.empty() && c.beat <= score_.tempos.back().beat)
        return fail(t.size() > 3 ? t[3] : t[0], "tempo changes must come in order of their beats");
    if (score_.tempos.size() >= 10000)
        return fail(t[0], "too many tempo changes");
    score_.tempos.push_back(c);
    return true;
}

bool Parser::meterChange(const std::vector<Token>& t) {
    MeterChange m;
    m.place = place(t[0]);
    if (t.size() < 2)
        return failEnd("expected a time signature like 4/4");
    size_t slash = t[1].text.find('/');
    if (slash == std::string::npos || !parseInteger(t[1].text.substr(0, slash), m.numerator) ||
        !parseInteger(t[1].text.substr(slash + 1), m.denominator) || m.numerator < 1 || m.numerator > 32 ||
        (m.denominator != 1 && m.denominator != 2 && m.denominator != 4 && m.denominator != 8 &&
         m.denominator != 16))
        return fail(t[1], "expected a time signature like 4/4, found \"" + t[1].text + "\"");
    if (!atBeat(t, 2, m.beat, true) || !expectEnd(t, 4))
        return false;
    if (score_.meters.empty() && m.beat != 0)
        return fail(t[0], "the first time signature must be at beat 0");
    if (!score_.meters.empty()) {
        const MeterChange& prev = score_.meters.back();
        double bars = (m.beat - prev.beat) / prev.barBeats();
        if (m.beat <= prev.beat || std::fabs(bars - std::round(bars)) > 1e-9)
            return fail(t.size() > 3 ? t[3] : t[0],
                        "a time signature change must fall on a bar line of the previous one, after it");
    }
    if (score_.meters.size() >= 10000)
        return fail(t[0], "too many time signatures");
    score_.meters.push_back(m);
    return true;
}

bool Parser::mark(const std::vector<Token>& t) {
    ScoreMark m;
    m.place = place(t[0]);
    if (t.size() < 2)
        return failEnd("expected a mark name");
    if (!validName(t[1].text))
        return fail(t[1], "\"" + t[1].text + "\" is not a name");
    m.name = t[1].text;
    if (!atBeat(t, 2, m.beat, false) || !expectEnd(t, 4))
        return false;
    if (score_.marks.size() >= 1000)
        return fail(t[0], "too many marks");
    score_.marks.push_back(m);
    return true;
}

bool Parser::synth(const std::vector<Token>& t) {
    if (t.size() < 2)
        return failEnd("expected \"reverb\" or \"chorus\"");
    if (t[1].text == "reverb") {
        ReverbSettings& r = score_.reverb;
        return number(t, 2, r.room, 0, 1, "room size") && number(t, 3, r.damp, 0, 1, "damping") &&
               number(t, 4, r.width, 0, 100, "width") && number(t, 5, r.level, 0, 1, "level") &&
               expectEnd(t, 6);
    }
    if (t[1].text == "chorus") {
        ChorusSettings& c = score_.chorus;
        return integer(t, 2, c.voices, 0, 99, "voices") && number(t, 3, c.level, 0, 10, "level") &&
               number(t, 4, c.speed, 0.1, 5, "speed in Hz") && number(t, 5, c.depth, 0, 256, "depth in ms") &&
               expectEnd(t, 6);
    }
    return fail(t[1], "expected \"reverb\" or \"chorus\", found \"" + t[1].text + "\"");
}

bool Parser::trackHeader(const std::vector<Token>& t) {
    if (t.size() < 2)
        return failEnd("expected a track name");
    if (!validName(t[1].text))
        return fail(t[1], "\"" + t[1].text + "\" is not a name");
    for (const ScoreTrack& other : score_.tracks)
        if (other.name == t[1].text)
            return fail(t[1], "track \"" + t[1].text + "\" is already defined");
    if (static_cast<int>(score_.tracks.size()) >= ScoreParser::maxTracks)
        return fail(t[0], "too many tracks (at most 16)");
    if (!expectEnd(t, 2))
        return false;
    ScoreTrack track;
    track.name = t[1].text;
    track.place = place(t[0]);
    score_.tracks.push_back(track);
    block_ = Block::Track;
    return true;
}

bool Parser::patternHeader(const std::vector<Token>& t) {
    if (t.size() < 2)
        return failEnd("expected a pattern name");
    if (!validName(t[1].text))
        return fail(t[1], "\"" + t[1].text + "\" is not a name");
    for (const ScorePattern& other : score_.patterns)
        if (other.name == t[1].text)
            return fail(t[1], "pattern \"" + t[1].text + "\" is already defined");
    if (score_.patterns.size() >= ScoreParser::maxPatterns)
        return fail(t[0], "too many patterns");
    ScorePattern p;
    p.name = t[1].text;
    p.place = place(t[0]);
    fixedLength_ = t.size() > 2;
    if (fixedLength_ && !number(t, 2, p.length, 1e-3, 4096, "pattern length in beats"))
        return false;
    if (!expectEnd(t, 3))
        return false;
    score_.patterns.push_back(p);
    block_ = Block::Pattern;
    cursor_ = 0;
    velocity_ = 90;
    gate_ = 1;
    stepLength_ = 1;
    return true;
}

bool Parser::play(const std::vector<Token>& t) {
    ScorePlay p;
    p.place = place(t[0]);
    if (t.size() < 3)
        return failEnd("expected \"play TRACK PATTERN at BEAT\"");
    p.track = trackIndex(t[1], false);
    if (p.track < 0)
        return false;
    p.pattern = -1;
    for (size_t i = 0; i < score_.patterns.size(); ++i)
        if (score_.patterns[i].name == t[2].text)
            p.pattern = static_cast<int>(i);
    if (p.pattern < 0)
        return fail(t[2], "unknown pattern \"" + t[2].text + "\"");
    if (!atBeat(t, 3, p.beat, false))
        return false;
    for (size_t i = 5; i < t.size(); i += 2) {
        if (t[i].text == "repeat") {
            if (!integer(t, i + 1, p.repeat, 1, 10000, "repeat count"))
                return false;
        } else if (t[i].text == "transpose") {
            if (!integer(t, i + 1, p.transpose, -48, 48, "transposition"))
                return false;
        } else {
            return fail(t[i], "expected \"repeat\" or \"transpose\", found \"" + t[i].text + "\"");
        }
    }
    if (score_.plays.size() >= ScoreParser::maxStatements)
        return fail(t[0], "too many plays");
    score_.plays.push_back(p);
    return true;
}

// Where a cresc, dim or level stands and the track it names (* for every track).
bool Parser::rampTrack(const std::vector<Token>& t, ScoreRamp& r) {
    r.place = place(t[0]);
    if (t.size() < 2)
        return failEnd("expected a track name or *");
    r.track = trackIndex(t[1], true);
    return r.track >= -1;
}

bool Parser::ramp(const std::vector<Token>& t) {
    ScoreRamp r;
    if (!rampTrack(t, r))
        return false;
    if (t.size() < 3)
        return failEnd("expected a range of beats like 0..16");
    if (!range(t[2], r.fromBeat, r.toBeat, 0, 1e5, "beats"))
        return false;
    if (r.toBeat < r.fromBeat)
        return fail(t[2], "the range of beats runs backwards");
    if (t.size() < 4)
        return failEnd("expected a range of levels like 40..127");
    double a = 0, b = 0;
    if (!range(t[3], a, b, 0, 127, "levels"))
        return false;
    if (a != std::floor(a) || b != std::floor(b))
        return fail(t[3], "levels are whole numbers");
    r.fromLevel = static_cast<int>(a);
    r.toLevel = static_cast<int>(b);
    if (!expectEnd(t, 4))
        return false;
    score_.ramps.push_back(r);
    return true;
}

bool Parser::level(const std::vector<Token>& t) {
    ScoreRamp r;
    if (!rampTrack(t, r))
        return false;
    if (!integer(t, 2, r.fromLevel, 0, 127, "level") || !atBeat(t, 3, r.fromBeat, false) || !expectEnd(t, 5))
        return false;
    r.toLevel = r.fromLevel;
    r.toBeat = r.fromBeat;
    score_.ramps.push_back(r);
    return true;
}

bool Parser::trackSetting(const std::vector<Token>& t) {
    ScoreTrack& track = score_.tracks.back();
    const std::string& word = t[0].text;
    if (word == "program")
        return integer(t, 1, track.program, 1, 128, "program") && expectEnd(t, 2);
    if (word == "bank")
        return integer(t, 1, track.bank, 0, 128, "bank") && expectEnd(t, 2);
    if (word == "drums") {
        track.drums = true;
        track.program = 1;
        if (t.size() > 1 && !integer(t, 1, track.program, 1, 128, "drum kit"))
            return false;
        return expectEnd(t, 2);
    }
    if (word == "volume")
        return integer(t, 1, track.volume, 0, 127, "volume") && expectEnd(t, 2);
    if (word == "pan")
        return integer(t, 1, track.pan, -64, 63, "pan") && expectEnd(t, 2);
    if (word == "reverb")
        return integer(t, 1, track.reverb, 0, 127, "reverb send") && expectEnd(t, 2);
    if (word == "chorus")
        return integer(t, 1, track.chorus, 0, 127, "chorus send") && expectEnd(t, 2);
    return fail(t[0], "unknown track setting \"" + word + "\"");
}

bool Parser::patternLine(const std::vector<Token>& t) {
    if (t[0].text == "velocity")
        return integer(t, 1, velocity_, 1, 127, "velocity") && expectEnd(t, 2);
    if (t[0].text == "gate")
        return number(t, 1, gate_, 0.05, 4, "gate") && expectEnd(t, 2);
    for (const Token& token : t)
        if (!step(token))
            return false;
    return true;
}

bool Parser::step(const Token& t) {
    if (t.text == "|")
        return true;
    ScorePattern& p = score_.patterns.back();
    std::string keys = t.text;
    int velocity = velocity_;
    size_t at = keys.find('@');
    if (at != std::string::npos) {
        if (!parseInteger(keys.substr(at + 1), velocity) || velocity < 1 || velocity > 127)
            return fail(t.column + static_cast<int>(at) + 1, "expected a velocity 1..127 after '@'");
        keys.resize(at);
    }
    size_t colon = keys.find(':');
    if (colon != std::string::npos) {
        double length = 0;
        if (!parseNumber(keys.substr(colon + 1), length) || length <= 0 || length > 64)
            return fail(t.column + static_cast<int>(colon) + 1,
                        "expected a length in beats (0..64) after ':'");
        stepLength_ = length;
        keys.resize(colon);
    }
    if (keys.empty())
        return fail(t, "expected a note, a chord or r");
    if (keys != "r") {
        size_t start = 0;
        while (start <= keys.size()) {
            size_t plus = keys.find('+', start);
            std::string name =
                keys.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
            int key = ScoreParser::keyOf(name);
            if (key < 0)
                return fail(t.column + static_cast<int>(start), "unknown note \"" + name + "\"");
            if (p.notes.size() >= ScoreParser::maxPatternNotes)
                return fail(t, "too many notes in one pattern");
            p.notes.push_back({cursor_, stepLength_ * gate_, key, velocity});
            if (plus == std::string::npos)
                break;
            start = plus + 1;
        }
    }
    cursor_ += stepLength_;
    if (fixedLength_ && cursor_ > p.length + 1e-9)
        return fail(t, "the pattern's steps run past its length");
    if (cursor_ > 4096)
        return fail(t, "the pattern is longer than 4096 beats");
    return true;
}

} // namespace

int ScoreParser::keyOf(const std::string& word) {
    int key = noteKey(word);
    if (key >= 0)
        return key;
    for (const DrumName& d : drumNames)
        if (word == d.name)
            return d.key;
    if (word.size() >= 2 && word.size() <= 4 && word[0] == 'n') {
        int raw = 0;
        if (parseInteger(word.substr(1), raw) && raw >= 0 && raw <= 127 &&
            std::isdigit(static_cast<unsigned char>(word[1])))
            return raw;
    }
    return -1;
}

bool ScoreParser::parse(const std::string& text, const std::string& file, Score& score, std::string& error) {
    score = Score{};
    score.file = file;
    Parser parser(score.file, score, error);
    return parser.run(text);
}

bool ScoreParser::parseFile(const std::string& path, Score& score, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > maxFileBytes) {
            error = path + ": larger than 4 MiB, not a score";
            return false;
        }
    }
    return parse(text, path, score, error);
}
