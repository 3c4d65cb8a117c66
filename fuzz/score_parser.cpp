// songsynth's score parser and compiler over fuzzed text: no crash, no hang, no unbounded
// allocation, whatever the score says.
#include "ScoreCompiler.h"
#include "ScoreParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > ScoreParser::maxFileBytes)
        return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    Score score;
    std::string error;
    if (!ScoreParser::parse(text, "fuzz.score", score, error))
        return 0;
    CompiledSong song;
    // Refusing the score is as good an outcome as compiling it; only how it ends matters here.
    static_cast<void>(ScoreCompiler::compile(score, song, error));
    return 0;
}
