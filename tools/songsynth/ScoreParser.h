#pragma once

#include "Score.h"

#include <string>

// Reads the text score format into a Score. Line-based; '#' at the start of a word begins a
// comment. Statements:
//
//   tempo BPM [at BEAT]             time N/D [at BEAT]           length BEATS
//   tail SECONDS                    loudness LUFS                ceiling DBTP
//   mark NAME at BEAT               synth reverb ROOM DAMP WIDTH LEVEL
//   synth chorus VOICES LEVEL SPEED DEPTH
//   track NAME                      followed by settings: program N (1..128, General MIDI),
//                                   bank N, drums [KIT], volume V, pan P, reverb V, chorus V
//   pattern NAME [BEATS]            followed by step lines; also "velocity V" and "gate G"
//   play TRACK PATTERN at BEAT [repeat N] [transpose SEMITONES]
//   cresc TRACK|* FROM..TO LEVEL..LEVEL     (dim is the same)      level TRACK|* V at BEAT
//
// A step is KEYS[:LENGTH][@VELOCITY]: KEYS is "r" (a rest), or keys joined by '+' (a chord),
// each a note name (C4 = MIDI 60, sharps '#', flats 'b'), a drum name (kick, snare, hat, ...) or
// nN for a raw MIDI key. The length in beats (a decimal or a fraction like 1/3) carries over to
// the following steps of the pattern; a velocity applies to its own step only. '|' separates bars
// for the reader and is otherwise ignored.
//
// Errors come back as one line "FILE:LINE:COLUMN: reason".
class ScoreParser {
public:
    [[nodiscard]] static bool parse(const std::string& text, const std::string& file, Score& score,
                                    std::string& error);
    // Reads the file (at most maxFileBytes) and parses it.
    [[nodiscard]] static bool parseFile(const std::string& path, Score& score, std::string& error);

    static constexpr size_t maxFileBytes = 4 << 20;
    static constexpr int maxTracks = 16;
    static constexpr size_t maxPatterns = 4096;
    static constexpr size_t maxPatternNotes = 100000;
    static constexpr size_t maxStatements = 100000;

    // MIDI key of a note name ("C#4") or drum name ("snare"), or -1.
    static int keyOf(const std::string& word);
};
