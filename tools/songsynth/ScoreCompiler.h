#pragma once

#include "Score.h"
#include "TempoMap.h"

#include <cstdint>
#include <string>
#include <vector>

// One synthesiser event at a sample frame. At the same frame note-offs go first, then controller
// changes, then note-ons, each in score order.
struct SynthEvent {
    enum Kind : uint8_t { NoteOff = 0, Control = 1, NoteOn = 2 };
    int64_t frame = 0;
    Kind kind = NoteOn;
    uint8_t channel = 0;
    uint8_t a = 0; // key or controller number
    uint8_t b = 0; // velocity or controller value
    uint32_t order = 0;
};

// A track as the synthesiser sets it up before the first frame: its channel and MIDI settings.
struct ChannelSetup {
    std::string name;
    int channel = 0;
    int program = 0; // 0-based MIDI program
    int bank = 0;
    bool drums = false;
    int volume = 100;
    int pan = 64; // MIDI 0..127
    int reverb = 40;
    int chorus = 0;
    size_t notes = 0;
    double voiceSeconds = 0; // summed sounding time, a measure of the rendering work
};

struct CompiledMark {
    std::string name;
    double beat = 0;
    int64_t frame = 0;
};

// A score compiled to timed events for one render.
struct CompiledSong {
    int rate = 44100;
    double lengthBeats = 0;
    double lengthSeconds = 0;
    int64_t totalFrames = 0; // the song plus its tail
    TempoMap tempo;
    std::vector<ChannelSetup> channels;
    std::vector<SynthEvent> events;
    std::vector<double> bars; // beats of the bar lines before the end
    std::vector<CompiledMark> marks;
    ReverbSettings reverb;
    ChorusSettings chorus;
    double loudness = -14;
    double ceiling = -1;
    size_t noteCount = 0;
};

// Expands the plays of a score into note and controller events at sample frames. Refuses a score
// that plays no note, one that would play more than maxNotes notes, one longer than maxSeconds,
// and notes or dynamics that start past the song's length; the error names the statement's place.
class ScoreCompiler {
public:
    [[nodiscard]] static bool compile(const Score& score, CompiledSong& song, std::string& error,
                                      int rate = 44100);

    static constexpr size_t maxNotes = 200000;
    static constexpr double maxSeconds = 900;
};
