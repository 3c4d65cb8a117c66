#include "ScoreCompiler.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

bool fail(const Score& score, const SourcePlace& place, const std::string& reason, std::string& error) {
    std::ostringstream s;
    s << score.file << ':' << std::max(place.line, 1) << ':' << std::max(place.column, 1) << ": " << reason;
    error = s.str();
    return false;
}

struct Note {
    int64_t start;
    int64_t end;
    int key;
    int velocity;
    uint32_t order;
};

// Expression controller (11) changes for a ramp, one per level step.
void rampEvents(const ScoreRamp& r, int channel, const CompiledSong& song, std::vector<SynthEvent>& out,
                uint32_t& order) {
    int steps = std::abs(r.toLevel - r.fromLevel);
    auto push = [&](double beat, int level) {
        SynthEvent e;
        e.frame = song.tempo.frame(beat, song.rate);
        e.kind = SynthEvent::Control;
        e.channel = static_cast<uint8_t>(channel);
        e.a = 11;
        e.b = static_cast<uint8_t>(level);
        e.order = order++;
        out.push_back(e);
    };
    push(r.fromBeat, r.fromLevel);
    int direction = r.toLevel > r.fromLevel ? 1 : -1;
    for (int i = 1; i <= steps; ++i)
        push(r.fromBeat + (r.toBeat - r.fromBeat) * i / steps, r.fromLevel + direction * i);
}

// The song's length and the score's global settings; refuses a song longer than maxSeconds.
bool setUp(const Score& score, CompiledSong& song, std::string& error, int rate) {
    song.rate = rate;
    song.tempo = TempoMap(score.tempos);
    song.lengthBeats = score.lengthBeats;
    song.lengthSeconds = song.tempo.seconds(score.lengthBeats);
    song.reverb = score.reverb;
    song.chorus = score.chorus;
    song.loudness = score.loudness;
    song.ceiling = score.ceiling;
    if (song.lengthSeconds + score.tailSeconds > ScoreCompiler::maxSeconds) {
        std::ostringstream s;
        s << "the song would last " << std::lround(song.lengthSeconds + score.tailSeconds)
          << " s, longer than the " << ScoreCompiler::maxSeconds << " s a song may";
        return fail(score, score.lengthPlace, s.str(), error);
    }
    song.totalFrames = static_cast<int64_t>(std::ceil((song.lengthSeconds + score.tailSeconds) * rate));
    return true;
}

// Counts before expanding, so an absurd repeat is refused without allocating for it.
bool checkCounts(const Score& score, std::string& error) {
    double total = 0;
    for (const ScorePlay& p : score.plays) {
        total += static_cast<double>(score.patterns[p.pattern].notes.size()) * p.repeat;
        if (total > ScoreCompiler::maxNotes) {
            std::ostringstream s;
            s << "the score would play more than " << ScoreCompiler::maxNotes << " notes";
            return fail(score, p.place, s.str(), error);
        }
    }
    if (total == 0)
        return fail(score, SourcePlace{1, 1}, "the score plays no note", error);
    double controls = 0;
    for (const ScoreRamp& r : score.ramps) {
        controls += (std::abs(r.toLevel - r.fromLevel) + 1.0) * (r.track < 0 ? score.tracks.size() : 1);
        if (controls > ScoreCompiler::maxNotes) {
            std::ostringstream s;
            s << "the dynamics would make more than " << ScoreCompiler::maxNotes << " controller changes";
            return fail(score, r.place, s.str(), error);
        }
    }
    return true;
}

ChannelSetup channelOf(const ScoreTrack& track, size_t index) {
    ChannelSetup c;
    c.name = track.name;
    c.channel = static_cast<int>(index);
    c.program = track.program - 1;
    c.bank = track.drums ? 128 : track.bank;
    c.drums = track.drums;
    c.volume = track.volume;
    c.pan = track.pan + 64;
    c.reverb = track.reverb;
    c.chorus = track.chorus;
    return c;
}

// Every play's notes at their frames, per track in score order.
bool expandPlays(const Score& score, const CompiledSong& song, std::vector<std::vector<Note>>& notes,
                 uint32_t& order, std::string& error) {
    for (const ScorePlay& p : score.plays) {
        const ScorePattern& pattern = score.patterns[p.pattern];
        for (int r = 0; r < p.repeat; ++r) {
            double base = p.beat + r * pattern.length;
            for (const PatternNote& n : pattern.notes) {
                double beat = base + n.beat;
                if (beat >= score.lengthBeats - 1e-9) {
                    std::ostringstream s;
                    s << "pattern \"" << pattern.name << "\" plays a note at beat " << beat
                      << ", past the song's length of " << score.lengthBeats << " beats";
                    return fail(score, p.place, s.str(), error);
                }
                int key = n.key + p.transpose;
                if (key < 0 || key > 127)
                    return fail(score, p.place, "the transposition takes a note outside the MIDI keys",
                                error);
                Note note;
                note.start = song.tempo.frame(beat, song.rate);
                note.end = std::max(note.start + 1, song.tempo.frame(beat + n.beats, song.rate));
                note.key = key;
                note.velocity = n.velocity;
                note.order = order++;
                notes[p.track].push_back(note);
            }
        }
    }
    return true;
}

bool addMarksAndBars(const Score& score, CompiledSong& song, std::string& error) {
    for (const ScoreMark& m : score.marks) {
        if (m.beat > score.lengthBeats)
            return fail(score, m.place, "the mark lies past the song's length", error);
        song.marks.push_back({m.name, m.beat, song.tempo.frame(m.beat, song.rate)});
    }
    for (size_t i = 0; i < score.meters.size(); ++i) {
        const MeterChange& m = score.meters[i];
        double end = i + 1 < score.meters.size() ? score.meters[i + 1].beat : score.lengthBeats;
        for (double b = m.beat; b < end - 1e-9 && song.bars.size() < 100000; b += m.barBeats())
            song.bars.push_back(b);
    }
    return true;
}

bool addDynamics(const Score& score, CompiledSong& song, uint32_t& order, std::string& error) {
    for (const ScoreRamp& r : score.ramps) {
        if (r.toBeat > score.lengthBeats)
            return fail(score, r.place, "the dynamics run past the song's length", error);
        if (r.track >= 0) {
            rampEvents(r, r.track, song, song.events, order);
        } else {
            for (size_t t = 0; t < score.tracks.size(); ++t)
                rampEvents(r, static_cast<int>(t), song, song.events, order);
        }
    }
    return true;
}

// Note-on and note-off events for one track's notes, counted on its channel.
void addNoteEvents(std::vector<Note>& list, ChannelSetup& c, CompiledSong& song) {
    std::stable_sort(list.begin(), list.end(),
                     [](const Note& a, const Note& b) { return a.start < b.start; });
    // A key struck again while it still sounds ends the earlier note there; otherwise the
    // earlier note's release would cut the new one short.
    int64_t lastIndex[128];
    std::fill(std::begin(lastIndex), std::end(lastIndex), -1);
    for (size_t i = 0; i < list.size(); ++i) {
        int64_t prev = lastIndex[list[i].key];
        if (prev >= 0 && list[prev].end > list[i].start)
            list[prev].end = list[i].start;
        lastIndex[list[i].key] = static_cast<int64_t>(i);
    }
    for (const Note& n : list) {
        if (n.end <= n.start)
            continue; // struck twice at the same frame: the later one sounds
        SynthEvent on;
        on.frame = n.start;
        on.kind = SynthEvent::NoteOn;
        on.channel = static_cast<uint8_t>(c.channel);
        on.a = static_cast<uint8_t>(n.key);
        on.b = static_cast<uint8_t>(n.velocity);
        on.order = n.order;
        SynthEvent off = on;
        off.frame = n.end;
        off.kind = SynthEvent::NoteOff;
        off.b = 0;
        song.events.push_back(on);
        song.events.push_back(off);
        ++c.notes;
        ++song.noteCount;
        c.voiceSeconds += static_cast<double>(n.end - n.start) / song.rate + 0.5;
    }
}

} // namespace

bool ScoreCompiler::compile(const Score& score, CompiledSong& song, std::string& error, int rate) {
    song = CompiledSong{};
    if (!setUp(score, song, error, rate) || !checkCounts(score, error))
        return false;
    for (size_t t = 0; t < score.tracks.size(); ++t)
        song.channels.push_back(channelOf(score.tracks[t], t));

    std::vector<std::vector<Note>> notes(score.tracks.size());
    uint32_t order = 0;
    if (!expandPlays(score, song, notes, order, error) || !addMarksAndBars(score, song, error) ||
        !addDynamics(score, song, order, error))
        return false;
    for (size_t t = 0; t < notes.size(); ++t)
        addNoteEvents(notes[t], song.channels[t], song);
    std::sort(song.events.begin(), song.events.end(), [](const SynthEvent& a, const SynthEvent& b) {
        if (a.frame != b.frame)
            return a.frame < b.frame;
        if (a.kind != b.kind)
            return a.kind < b.kind;
        return a.order < b.order;
    });
    return true;
}
