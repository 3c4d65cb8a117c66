#include "ScoreCompiler.h"
#include "ScoreParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool compileText(const std::string& text, CompiledSong& song, std::string& error) {
    Score score;
    return ScoreParser::parse(text, "song.score", score, error) && ScoreCompiler::compile(score, song, error);
}

CompiledSong compiled(const std::string& text) {
    CompiledSong song;
    std::string error;
    EXPECT_TRUE(compileText(text, song, error)) << error;
    return song;
}

std::string failure(const std::string& text) {
    CompiledSong song;
    std::string error;
    EXPECT_FALSE(compileText(text, song, error)) << text;
    return error;
}

std::vector<SynthEvent> ofKind(const CompiledSong& song, SynthEvent::Kind kind) {
    std::vector<SynthEvent> out;
    for (const SynthEvent& e : song.events)
        if (e.kind == kind)
            out.push_back(e);
    return out;
}

TEST(ScoreCompiler, NoteAtBeatBStartsAtFrameB22050At120Bpm) {
    CompiledSong song = compiled("tempo 120\nlength 200\ntrack a\n"
                                 "pattern p\n  C4:1 r:2 E4:0.5 r:0.25 G4:.25\n"
                                 "play a p at 0\nplay a p at 7.5\nplay a p at 133\n");
    std::vector<SynthEvent> on = ofKind(song, SynthEvent::NoteOn);
    ASSERT_EQ(on.size(), 9u);
    const double beats[] = {0, 3, 3.75, 7.5, 10.5, 11.25, 133, 136, 136.75};
    for (size_t i = 0; i < on.size(); ++i)
        EXPECT_NEAR(static_cast<double>(on[i].frame), beats[i] * 22050, 0.5) << "note " << i;
    std::vector<SynthEvent> off = ofKind(song, SynthEvent::NoteOff);
    EXPECT_EQ(off.front().frame, 22050);                  // C4 lasts one beat
    EXPECT_EQ(song.totalFrames, 200 * 22050 + 2 * 44100); // plus the default two-second tail
    EXPECT_EQ(song.noteCount, 9u);
    EXPECT_EQ(song.channels[0].notes, 9u);
}

TEST(ScoreCompiler, TempoChangesMoveLaterNotes) {
    // 4 beats at 120 bpm (2 s), then 60 bpm: beat 6 is 2 s + 2 beats of 1 s.
    CompiledSong song = compiled("tempo 120\ntempo 60 at 4\ntempo 240 at 8\nlength 12\ntail 0\ntrack a\n"
                                 "pattern p\n  C4:1\nplay a p at 2\nplay a p at 6\nplay a p at 10\n");
    std::vector<SynthEvent> on = ofKind(song, SynthEvent::NoteOn);
    ASSERT_EQ(on.size(), 3u);
    EXPECT_EQ(on[0].frame, 44100);
    EXPECT_EQ(on[1].frame, 4 * 44100);
    EXPECT_EQ(on[2].frame, 6 * 44100 + 22050);
    EXPECT_DOUBLE_EQ(song.lengthSeconds, 2 + 4 + 1);
    EXPECT_EQ(song.totalFrames, 7 * 44100);
    // The note at beat 6 lasts one beat at 60 bpm: a whole second.
    std::vector<SynthEvent> off = ofKind(song, SynthEvent::NoteOff);
    EXPECT_EQ(off[1].frame - on[1].frame, 44100);
    EXPECT_DOUBLE_EQ(song.tempo.beat(6.5), 10);
}

TEST(ScoreCompiler, RepeatsTransposeAndOrderWithinAFrame) {
    CompiledSong song = compiled("tempo 120\nlength 16\ntrack a\ntrack b\n"
                                 "pattern p\n  C4:2\nplay a p at 0 repeat 3 transpose 7\nplay b p at 2\n");
    std::vector<SynthEvent> on = ofKind(song, SynthEvent::NoteOn);
    ASSERT_EQ(on.size(), 4u);
    EXPECT_EQ(on[0].a, 67);
    EXPECT_EQ(on[1].frame, 2 * 22050);
    EXPECT_EQ(on[3].frame, 4 * 22050);
    EXPECT_EQ(on[2].channel, 1);
    // At beat 2 the first repeat's note ends before the second starts.
    for (size_t i = 1; i < song.events.size(); ++i) {
        const SynthEvent& a = song.events[i - 1];
        const SynthEvent& b = song.events[i];
        ASSERT_TRUE(a.frame < b.frame || (a.frame == b.frame && a.kind <= b.kind)) << i;
    }
}

TEST(ScoreCompiler, AKeyStruckAgainEndsTheEarlierNote) {
    CompiledSong song = compiled("tempo 120\nlength 8\ntrack a\n"
                                 "pattern long\n  A3:4\npattern short\n  A3:1\n"
                                 "play a long at 0\nplay a short at 1\n");
    std::vector<SynthEvent> off = ofKind(song, SynthEvent::NoteOff);
    ASSERT_EQ(off.size(), 2u);
    EXPECT_EQ(off[0].frame, 22050);     // the long note, cut where the key is struck again
    EXPECT_EQ(off[1].frame, 2 * 22050); // the short one ends as written
}

TEST(ScoreCompiler, DynamicsBecomeExpressionSteps) {
    CompiledSong song = compiled("tempo 120\nlength 8\ntrack a\ntrack b\npattern p\n  C4:1\nplay a p at 0\n"
                                 "cresc a 0..4 100..110\nlevel * 0 at 8\n");
    std::vector<SynthEvent> cc = ofKind(song, SynthEvent::Control);
    ASSERT_EQ(cc.size(), 11u + 2u);
    EXPECT_EQ(cc[0].a, 11);
    EXPECT_EQ(cc[0].b, 100);
    EXPECT_EQ(cc[10].b, 110);
    EXPECT_EQ(cc[10].frame, 4 * 22050);
    EXPECT_EQ(cc[5].frame, 2 * 22050);
    EXPECT_EQ(cc[11].b, 0);
    EXPECT_EQ(cc[12].channel, 1);
}

TEST(ScoreCompiler, BarsFollowTheTimeSignatures) {
    CompiledSong song = compiled("tempo 120\ntime 4/4\ntime 2/4 at 8\ntime 3/4 at 10\nlength 16\n"
                                 "mark b at 10\ntrack a\npattern p\n  C4\nplay a p at 0\n");
    EXPECT_EQ(song.bars, (std::vector<double>{0, 4, 8, 10, 13}));
    ASSERT_EQ(song.marks.size(), 1u);
    EXPECT_EQ(song.marks[0].frame, 10 * 22050);
}

TEST(ScoreCompiler, RefusesScoresThatPlayNothingTooMuchOrForever) {
    EXPECT_EQ(failure("tempo 120\nlength 8\ntrack a\npattern p\n  r:1\nplay a p at 0\n"),
              "song.score:1:1: the score plays no note");
    EXPECT_EQ(failure("tempo 120\nlength 8\ntrack a\npattern p\n  C4\n"),
              "song.score:1:1: the score plays no note");
    // 100 notes 10000 times at once: a million notes, refused before any is made.
    std::string chord = "pattern p 0.001\n  ";
    for (int k = 20; k < 120; ++k)
        chord += (k > 20 ? "+n" : "n") + std::to_string(k);
    chord += ":0.001\n";
    std::string error = failure("tempo 400\nlength 100\ntrack a\n" + chord + "play a p at 0 repeat 10000\n");
    EXPECT_EQ(error.rfind("song.score:6:1: the score would play more than", 0), 0u) << error;
    std::string ramps;
    for (int i = 0; i < 1600; ++i)
        ramps += "cresc * 0..1 0..127\n";
    error = failure("tempo 120\nlength 8\ntrack a\npattern p\n  C4:1\nplay a p at 0\n" + ramps);
    EXPECT_EQ(error.rfind("song.score:1569:1: the dynamics would make more than", 0), 0u) << error;
    error = failure("tempo 10\nlength 100000\ntrack a\npattern p\n  C4\nplay a p at 0\n");
    EXPECT_EQ(error.rfind("song.score:2:1: the song would last 600002 s", 0), 0u) << error;
    error = failure("tempo 120\nlength 8\ntrack a\npattern p\n  C4:1\nplay a p at 4 repeat 5\n");
    EXPECT_EQ(error.rfind("song.score:6:1: pattern \"p\" plays a note at beat 8, past the song's length", 0),
              0u)
        << error;
    error = failure("tempo 120\nlength 8\ntrack a\npattern p\n  G6:1\nplay a p at 0 transpose 36\n"
                    "play a p at 1 transpose 48\n");
    EXPECT_EQ(error, "song.score:7:1: the transposition takes a note outside the MIDI keys");
    error = failure("tempo 120\nlength 8\ntrack a\npattern p\n  C4:1\nplay a p at 0\ncresc a 0..9 0..1\n");
    EXPECT_EQ(error, "song.score:7:1: the dynamics run past the song's length");
    error = failure("tempo 120\nlength 8\nmark late at 9\ntrack a\npattern p\n  C4:1\nplay a p at 0\n");
    EXPECT_EQ(error, "song.score:3:1: the mark lies past the song's length");
}

} // namespace
