#pragma once

#include <string>
#include <vector>

// A song as written in a score file, before it is compiled to timed synthesiser events: global
// settings, tempo and metre changes, tracks (one synthesiser channel each), patterns of notes and
// the plays that place patterns on tracks. Beats are quarter notes counted from 0.

struct SourcePlace {
    int line = 0;
    int column = 0;
};

struct TempoChange {
    double beat = 0;
    double bpm = 120;
    SourcePlace place;
};

struct MeterChange {
    double beat = 0;
    int numerator = 4;
    int denominator = 4;
    SourcePlace place;

    double barBeats() const { return numerator * 4.0 / denominator; }
};

// A named point of the song (a section start); drawn on the spectrogram and listed by the report.
struct ScoreMark {
    double beat = 0;
    std::string name;
    SourcePlace place;
};

struct ScoreTrack {
    std::string name;
    SourcePlace place;
    int program = 1; // General MIDI numbering, 1..128 (for drum tracks the kit, 1 = standard)
    int bank = 0;
    bool drums = false;
    int volume = 100; // MIDI controller values, 0..127
    int pan = 0;      // -64 (left) .. 63 (right)
    int reverb = 40;
    int chorus = 0;
};

// A note of a pattern, relative to the pattern's start.
struct PatternNote {
    double beat = 0;
    double beats = 1; // sounding length
    int key = 60;     // MIDI key, C4 = 60
    int velocity = 90;
};

struct ScorePattern {
    std::string name;
    SourcePlace place;
    double length = 0; // beats; the end of its last step unless the header gives it
    std::vector<PatternNote> notes;
};

// "play TRACK PATTERN at BEAT [repeat N] [transpose SEMITONES]"
struct ScorePlay {
    int track = 0;
    int pattern = 0;
    double beat = 0;
    int repeat = 1;
    int transpose = 0;
    SourcePlace place;
};

// A linear change of a track's expression (all tracks when `track` is -1) between two beats.
struct ScoreRamp {
    int track = -1;
    double fromBeat = 0;
    double toBeat = 0;
    int fromLevel = 127;
    int toLevel = 127;
    SourcePlace place;
};

struct ReverbSettings {
    double room = 0.6;
    double damp = 0.3;
    double width = 0.8;
    double level = 0.7;
};

struct ChorusSettings {
    int voices = 3;
    double level = 1.2;
    double speed = 0.3; // Hz
    double depth = 8;   // ms
};

struct Score {
    std::string file; // for messages
    double lengthBeats = 0;
    SourcePlace lengthPlace;
    double tailSeconds = 2;
    double loudness = -14; // integrated loudness target, LUFS
    double ceiling = -1;   // true-peak ceiling, dBTP
    std::vector<TempoChange> tempos;
    std::vector<MeterChange> meters;
    std::vector<ScoreMark> marks;
    std::vector<ScoreTrack> tracks;
    std::vector<ScorePattern> patterns;
    std::vector<ScorePlay> plays;
    std::vector<ScoreRamp> ramps;
    ReverbSettings reverb;
    ChorusSettings chorus;
};
