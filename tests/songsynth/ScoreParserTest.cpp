#include "ScoreParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* header = "tempo 120\nlength 16\n";

Score parse(const std::string& text) {
    Score score;
    std::string error;
    EXPECT_TRUE(ScoreParser::parse(text, "song.score", score, error)) << error;
    return score;
}

// The error message for a score that must fail.
std::string failure(const std::string& text) {
    Score score;
    std::string error;
    EXPECT_FALSE(ScoreParser::parse(text, "song.score", score, error)) << text;
    return error;
}

TEST(ScoreParser, GlobalSettings) {
    Score s = parse("# a comment line\n"
                    "tempo 96   # trailing comment\n"
                    "tempo 140 at 32\n"
                    "time 3/4\n"
                    "time 6/8 at 12\n"
                    "length 64\n"
                    "tail 1.5\n"
                    "loudness -16\n"
                    "ceiling -2\n"
                    "mark start at 0\n"
                    "mark main at 32\n"
                    "synth reverb 0.5 0.2 0.8 0.6\n"
                    "synth chorus 4 2 0.5 10\n");
    ASSERT_EQ(s.tempos.size(), 2u);
    EXPECT_EQ(s.tempos[0].bpm, 96);
    EXPECT_EQ(s.tempos[1].beat, 32);
    EXPECT_EQ(s.tempos[1].bpm, 140);
    ASSERT_EQ(s.meters.size(), 2u);
    EXPECT_EQ(s.meters[0].barBeats(), 3);
    EXPECT_EQ(s.meters[1].barBeats(), 3);
    EXPECT_EQ(s.meters[1].beat, 12);
    EXPECT_EQ(s.lengthBeats, 64);
    EXPECT_EQ(s.tailSeconds, 1.5);
    EXPECT_EQ(s.loudness, -16);
    EXPECT_EQ(s.ceiling, -2);
    ASSERT_EQ(s.marks.size(), 2u);
    EXPECT_EQ(s.marks[1].name, "main");
    EXPECT_EQ(s.marks[1].beat, 32);
    EXPECT_EQ(s.reverb.room, 0.5);
    EXPECT_EQ(s.reverb.level, 0.6);
    EXPECT_EQ(s.chorus.voices, 4);
    EXPECT_EQ(s.chorus.depth, 10);
}

TEST(ScoreParser, TracksKeepTheirSettingsAndDefaults) {
    Score s = parse(std::string(header) + "track lead\n  program 82\n  volume 90\n  pan -20\n  reverb 10\n"
                                          "  chorus 64\n  bank 8\ntrack kit\n  drums 26\ntrack plain\n");
    ASSERT_EQ(s.tracks.size(), 3u);
    const ScoreTrack& lead = s.tracks[0];
    EXPECT_EQ(lead.name, "lead");
    EXPECT_EQ(lead.program, 82);
    EXPECT_EQ(lead.volume, 90);
    EXPECT_EQ(lead.pan, -20);
    EXPECT_EQ(lead.reverb, 10);
    EXPECT_EQ(lead.chorus, 64);
    EXPECT_EQ(lead.bank, 8);
    EXPECT_FALSE(lead.drums);
    EXPECT_TRUE(s.tracks[1].drums);
    EXPECT_EQ(s.tracks[1].program, 26);
    EXPECT_EQ(s.tracks[2].program, 1);
    EXPECT_EQ(s.tracks[2].volume, 100);
}

TEST(ScoreParser, StepsCarryLengthsAndPlaceChordsRestsAndVelocities) {
    Score s = parse(std::string(header) + "pattern p\n"
                                          "  C4:.5 D#4 | Eb4@70 r:2\n"
                                          "  velocity 60\n"
                                          "  C4+E4+G4:1/3@100 A4\n"
                                          "  gate 0.5\n"
                                          "  kick:1 n61\n");
    const ScorePattern& p = s.patterns.at(0);
    ASSERT_EQ(p.notes.size(), 9u);
    EXPECT_EQ(p.notes[0].key, 60);
    EXPECT_EQ(p.notes[0].beats, 0.5);
    EXPECT_EQ(p.notes[1].key, 63);
    EXPECT_EQ(p.notes[1].beat, 0.5);
    EXPECT_EQ(p.notes[1].beats, 0.5); // the length carried over
    EXPECT_EQ(p.notes[2].key, 63);    // Eb4 is D#4
    EXPECT_EQ(p.notes[2].velocity, 70);
    EXPECT_EQ(p.notes[1].velocity, 90); // the default
    // The rest takes 2 beats: the chord starts at 1.5 + 2.
    for (int i = 3; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(p.notes[i].beat, 3.5);
        EXPECT_DOUBLE_EQ(p.notes[i].beats, 1.0 / 3);
        EXPECT_EQ(p.notes[i].velocity, 100);
    }
    EXPECT_EQ(p.notes[5].key, 67);
    EXPECT_EQ(p.notes[6].key, 69);
    EXPECT_EQ(p.notes[6].velocity, 60); // "velocity 60" for the following steps
    EXPECT_DOUBLE_EQ(p.notes[6].beat, 3.5 + 1.0 / 3);
    EXPECT_EQ(p.notes[7].key, 36);    // kick
    EXPECT_EQ(p.notes[7].beats, 0.5); // sounds half its step under "gate 0.5"
    EXPECT_EQ(p.notes[8].key, 61);
    EXPECT_DOUBLE_EQ(p.length, 3.5 + 2.0 / 3 + 2);
}

TEST(ScoreParser, PatternHeaderFixesTheLength) {
    Score s = parse(std::string(header) + "pattern p 8\n  C4:1\n");
    EXPECT_EQ(s.patterns.at(0).length, 8);
}

TEST(ScoreParser, NoteNamesCoverTheMidiRange) {
    EXPECT_EQ(ScoreParser::keyOf("C-1"), 0);
    EXPECT_EQ(ScoreParser::keyOf("A4"), 69);
    EXPECT_EQ(ScoreParser::keyOf("Bb1"), 34);
    EXPECT_EQ(ScoreParser::keyOf("b3"), 59);
    EXPECT_EQ(ScoreParser::keyOf("G9"), 127);
    EXPECT_EQ(ScoreParser::keyOf("G#9"), -1);
    EXPECT_EQ(ScoreParser::keyOf("H4"), -1);
    EXPECT_EQ(ScoreParser::keyOf("C"), -1);
    EXPECT_EQ(ScoreParser::keyOf("snare"), 38);
    EXPECT_EQ(ScoreParser::keyOf("ohat"), 46);
    EXPECT_EQ(ScoreParser::keyOf("n128"), -1);
    EXPECT_EQ(ScoreParser::keyOf("n"), -1);
}

TEST(ScoreParser, PlaysAndDynamics) {
    Score s = parse(std::string(header) + "track a\ntrack b\npattern p\n  C4:1\n"
                                          "play b p at 4 repeat 3 transpose -12\n"
                                          "play a p at 0.5\n"
                                          "cresc a 0..8 20..100\n"
                                          "dim * 8..16 100..0\n"
                                          "level b 64 at 2\n");
    ASSERT_EQ(s.plays.size(), 2u);
    EXPECT_EQ(s.plays[0].track, 1);
    EXPECT_EQ(s.plays[0].pattern, 0);
    EXPECT_EQ(s.plays[0].beat, 4);
    EXPECT_EQ(s.plays[0].repeat, 3);
    EXPECT_EQ(s.plays[0].transpose, -12);
    EXPECT_EQ(s.plays[1].repeat, 1);
    EXPECT_EQ(s.plays[1].beat, 0.5);
    ASSERT_EQ(s.ramps.size(), 3u);
    EXPECT_EQ(s.ramps[0].track, 0);
    EXPECT_EQ(s.ramps[0].toBeat, 8);
    EXPECT_EQ(s.ramps[0].fromLevel, 20);
    EXPECT_EQ(s.ramps[1].track, -1);
    EXPECT_EQ(s.ramps[1].toLevel, 0);
    EXPECT_EQ(s.ramps[2].fromBeat, 2);
    EXPECT_EQ(s.ramps[2].toBeat, 2);
    EXPECT_EQ(s.ramps[2].toLevel, 64);
    EXPECT_EQ(s.plays[0].place.line, 7);
    EXPECT_EQ(s.plays[0].place.column, 1);
}

TEST(ScoreParser, ErrorsNameFileLineAndColumn) {
    const std::string h = header;
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"length 4\n", "song.score:1:1: the score has no tempo"},
        {"tempo 120\n", "song.score:1:1: the score has no length"},
        {"tempo 120 at 4\n", "song.score:1:1: the first tempo must be at beat 0"},
        {"tempo 120\ntempo 100 at 8\ntempo 90 at 8\n", "song.score:3:13: tempo changes must come in order"},
        {"tempo 5000\n", "song.score:1:7: tempo 5000 is outside 10..400"},
        {"tempo fast\n", "song.score:1:7: expected tempo, found \"fast\""},
        {"tempo\n", "song.score:1:6: expected tempo"},
        {"time 5/3\n", "song.score:1:6: expected a time signature like 4/4"},
        {h + "time 4/4\ntime 3/4 at 6\n", "song.score:4:13: a time signature change must fall on a bar line"},
        {h + "length 4 beats\n", "song.score:3:10: unexpected \"beats\""},
        {h + "mark 9x at 2\n", "song.score:3:6: \"9x\" is not a name"},
        {h + "mark m 2\n", "song.score:3:8: expected \"at\", found \"2\""},
        {h + "synth delay 1\n", "song.score:3:7: expected \"reverb\" or \"chorus\""},
        {h + "synth reverb 0.5 0.2 0.8\n", "song.score:3:25: expected level"},
        {h + "bogus 1\n", "song.score:3:1: unknown statement \"bogus\""},
        {h + "track a\n  program 0\n", "song.score:4:11: program 0 is outside 1..128"},
        {h + "track a\n  pan 80\n", "song.score:4:7: pan 80 is outside -64..63"},
        {h + "track a\n  colour red\n", "song.score:4:3: unknown track setting \"colour\""},
        {h + "track a\ntrack a\n", "song.score:4:7: track \"a\" is already defined"},
        {h + "pattern p\n  C4 H4\n", "song.score:4:6: unknown note \"H4\""},
        {h + "pattern p\n  C4+E4+X:1\n", "song.score:4:9: unknown note \"X\""},
        {h + "pattern p\n  C4:0\n", "song.score:4:6: expected a length in beats"},
        {h + "pattern p\n  C4:1@200\n", "song.score:4:8: expected a velocity 1..127 after '@'"},
        {h + "pattern p\n  :1\n", "song.score:4:3: expected a note, a chord or r"},
        {h + "pattern p 2\n  C4:1 D4 E4\n", "song.score:4:11: the pattern's steps run past its length"},
        {h + "pattern p\n  C4\npattern p\n", "song.score:5:9: pattern \"p\" is already defined"},
        {h + "pattern p\n  C4\nplay x p at 0\n", "song.score:5:6: unknown track \"x\""},
        {h + "track a\nplay a q at 0\n", "song.score:4:8: unknown pattern \"q\""},
        {h + "track a\npattern p\n  C4\nplay a p\n", "song.score:6:9: expected \"at BEAT\""},
        {h + "track a\npattern p\n  C4\nplay a p at 0 repeat 0\n",
         "song.score:6:22: repeat count 0 is outside"},
        {h + "track a\npattern p\n  C4\nplay a p at 0 twice\n", "song.score:6:15: expected \"repeat\" or"},
        {h + "track a\ncresc a 8..4 0..127\n", "song.score:4:9: the range of beats runs backwards"},
        {h + "track a\ncresc a 0..4 0..200\n", "song.score:4:14: levels 0..200 is outside 0..127"},
        {h + "track a\ncresc a 0-4 0..20\n", "song.score:4:9: expected a range of beats like 0..16"},
        {h + "track a\nlevel a 20\n", "song.score:4:11: expected \"at BEAT\""},
        {h + "pattern p\n  C4\x01\n", "song.score:4:5: unexpected character"},
    };
    for (const Case& c : cases) {
        std::string error = failure(c.text);
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "score:\n" << c.text << "\ngot: " << error;
    }
}

TEST(ScoreParser, RefusesTooManyTracksAndOversizedFiles) {
    std::string text = header;
    for (int i = 0; i <= ScoreParser::maxTracks; ++i)
        text += "track t" + std::to_string(i) + "\n";
    EXPECT_EQ(failure(text).rfind("song.score:19:1: too many tracks", 0), 0u);

    Score score;
    std::string error;
    EXPECT_FALSE(ScoreParser::parseFile("/nonexistent/song.score", score, error));
    EXPECT_EQ(error, "/nonexistent/song.score: cannot open");
}

} // namespace
