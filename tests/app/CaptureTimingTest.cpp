// Frame times of offline renders and the simulation catch-up behind --from and stills.
#include "app/SimulationStep.h"
#include "app/TimelinePreroll.h"
#include "app/capture/FrameSchedule.h"
#include "app/capture/RenderProgress.h"
#include "demo/Timeline.h"
#include "render/Device.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(FrameScheduleTest, FrameCountIsTheCeilingOfTheSpanTimesTheRate) {
    struct Case {
        double from, to;
        int fps, bpm;
        long frames;
    } cases[] = {
        {4, 8, 30, 120, 60},     // 2 s at 30 fps, exactly
        {0, 16, 60, 120, 480},   // the hello example whole
        {0, 1.3, 25, 120, 17},   // 0.65 s: 16.25 frames, the last one partly inside
        {3, 4.1, 24, 120, 14},   // 0.55 s: 13.2
        {0, 1, 7, 120, 4},       // 7 does not divide 60 either: 3.5 frames
        {1, 1.1, 1000, 97, 62},  // an odd tempo: 0.0618... s
        {0, 0.001, 1, 120, 1},   // any span holds frame 0
        {2, 2, 60, 120, 0},      // an empty span holds none
        {5, 4, 60, 120, 0},      // nor does a reversed one
        {0, 10, 30, 90, 200},    // 6.666... s at 30 fps is 200 frames, not 201
        {0.1, 0.7, 50, 120, 15}, // decimal beats that doubles cannot hold exactly
    };
    for (const Case& c : cases) {
        FrameSchedule s(c.from, c.to, c.fps, c.bpm);
        EXPECT_EQ(s.frameCount(), c.frames)
            << c.from << ".." << c.to << " at " << c.fps << " fps, " << c.bpm << " bpm";
        // Every frame lies before the end, and one more would not.
        const double t1 = c.to * 60.0 / c.bpm;
        if (s.frameCount() > 0) {
            EXPECT_LT(s.seconds(s.frameCount() - 1), t1 + 1e-9);
        }
        EXPECT_GE(s.seconds(s.frameCount()), t1 - 1e-9);
    }
}

TEST(FrameScheduleTest, FrameTimesAndBeatsDoNotDrift) {
    FrameSchedule s(4, 400, 24, 120);
    EXPECT_DOUBLE_EQ(s.seconds(0), 2.0);
    EXPECT_FLOAT_EQ(s.beat(0), 4.0f);
    EXPECT_DOUBLE_EQ(s.seconds(24000), 1002.0) << "t0 + k / fps, not a sum of k steps";
    EXPECT_FLOAT_EQ(s.beat(24000), 2004.0f);
    // A still at beat B is frame k of a render from B0 when B = B0 + k * bpm / (60 * fps).
    FrameSchedule at60(4, 8, 60, 120);
    EXPECT_EQ(at60.beat(15), 4.5f);
    EXPECT_EQ(FrameSchedule(4.5, 8, 60, 120).beat(0), at60.beat(15));
}

TEST(FrameScheduleTest, StepsFollowLivePlayAtTheFrameRate) {
    const float sixtieth = 0.016666668f;
    for (int fps : {60, 50, 30, 25, 24, 7, 144, 1000}) {
        FrameSchedule s(0, 64, fps, 120);
        float carry = 0;
        long liveTicks = 0;
        double simulated = 0;
        for (long k = 0; k < s.frameCount(); ++k) {
            const float step = s.step(k);
            // Live play's own steps for frames exactly 1 / fps apart agree but for the rounding
            // of its float carry, which may shift a step by one frame.
            liveTicks += std::lround(simulationStep(k == 0 ? 0.0 : 1.0 / fps, carry) * 60);
            ASSERT_NEAR(static_cast<double>(liveTicks), static_cast<double>(s.ticksThrough(k)), 1.0)
                << fps << " fps, frame " << k;
            const float ticks = step / sixtieth;
            ASSERT_NEAR(ticks, std::round(ticks), 1e-3) << "whole sixtieths at " << fps << " fps";
            ASSERT_GE(step, sixtieth * 0.999f);
            if (k == 0) {
                EXPECT_FLOAT_EQ(step, sixtieth) << "the first frame follows no other";
            }
            if (fps == 60) {
                ASSERT_FLOAT_EQ(step, sixtieth) << "one sixtieth per frame at 60 fps, frame " << k;
            }
            simulated += step;
            // The simulation keeps within a tick of the frame's own time (one tick ahead at most,
            // as in play, where the first frame already takes a step).
            const double shown = static_cast<double>(k) / fps;
            if (fps <= 60) {
                ASSERT_NEAR(simulated, shown + sixtieth, sixtieth + 1e-3) << fps << " fps, frame " << k;
            }
        }
    }
}

TEST(FrameScheduleTest, SoundCoversExactlyTheFrames) {
    FrameSchedule s(4, 8, 30, 120);
    EXPECT_EQ(s.firstSample(44100), 88200);
    EXPECT_EQ(s.sampleCount(44100), 88200);
    FrameSchedule odd(3, 4.1, 24, 120); // 14 frames: 0.58333 s
    EXPECT_EQ(odd.firstSample(44100), 66150);
    EXPECT_EQ(odd.sampleCount(44100), 25725);
    EXPECT_EQ(odd.sampleCount(48000), 28000);
}

// A part whose state depends on its whole history: a particle fountain with gravity and a
// time-varying wind, and a cloud layer drifting with it.
class FountainPart : public Part {
public:
    static constexpr int kParticles = 64;
    struct Particle {
        float x = 0, y = 0, vx = 0, vy = 0, age = -1;
    };
    bool load(Ref<LoadingScreen>&) override { return true; }
    void unload() override {}
    void update(float time, float step) override {
        const float wind = 0.5f + 0.25f * std::sin(time * 1.7f);
        cloudOffset += wind * step;
        emission += 40.0f * step;
        for (; emission >= 1.0f; emission -= 1.0f) {
            Particle& p = particles[static_cast<size_t>(next++ % kParticles)];
            p = Particle{0, 0, 0.3f * std::sin(float(next)), 3.0f, 0};
        }
        for (Particle& p : particles) {
            if (p.age < 0)
                continue;
            p.vx += wind * 0.1f * step;
            p.vy -= 9.81f * step;
            p.x += p.vx * step;
            p.y += p.vy * step;
            p.age += step;
        }
        simulated += step;
        ticks += std::lround(step * 60.0f);
    }
    void render(Ref<Device>&, float time, float) override { lastRendered = time; }

    std::array<Particle, kParticles> particles{};
    float cloudOffset = 0, emission = 0, lastRendered = -1;
    double simulated = 0;
    long ticks = 0;
    int next = 0;
};

bool sameState(const FountainPart& a, const FountainPart& b) {
    if (a.cloudOffset != b.cloudOffset || a.emission != b.emission || a.next != b.next)
        return false;
    for (size_t i = 0; i < a.particles.size(); ++i) {
        const auto &p = a.particles[i], &q = b.particles[i];
        if (p.x != q.x || p.y != q.y || p.vx != q.vx || p.vy != q.vy || p.age != q.age)
            return false;
    }
    return true;
}

struct Demo {
    Timeline timeline;
    Ref<FountainPart> early = makeRef<FountainPart>();
    Ref<FountainPart> late = makeRef<FountainPart>();
    Ref<Device> device;
    Demo() {
        timeline.registerPart("early", 0, 12, early);
        timeline.registerPart("late", 2.5f, 16, late);
    }
    ~Demo() { timeline.unloadAll(); }
};

// Plays from beat 0 at `fps` frames per second and stops after the frame that shows `beat`.
void playTo(Demo& demo, double beat, int fps, int bpm) {
    FrameSchedule play(0, 16, fps, bpm);
    for (long k = 0; k < play.frameCount(); ++k) {
        demo.timeline.frame(demo.device, play.beat(k), play.step(k));
        if (play.beat(k) == static_cast<float>(beat))
            return;
    }
    FAIL() << "beat " << beat << " is no frame of a " << fps << " fps play";
}

// What --from does: the catch-up, then the first frame at the beat.
void startAt(Demo& demo, double beat, int bpm) {
    FrameSchedule first(beat, beat, 60, bpm);
    prerollTimeline(demo.timeline, beat, bpm);
    demo.timeline.frame(demo.device, first.beat(0), first.step(0));
}

TEST(TimelinePrerollTest, StartingAtABeatEqualsPlayingToIt) {
    for (double beat : {0.0, 2.5, 3.0, 4.9, 5.5, 11.0}) { // 4.9: no float tick, but a frame at 60 fps
        Demo played, started;
        playTo(played, beat, 60, 120);
        startAt(started, beat, 120);
        EXPECT_TRUE(sameState(*played.early, *started.early)) << "beat " << beat;
        EXPECT_TRUE(sameState(*played.late, *started.late)) << "beat " << beat;
        EXPECT_EQ(started.early->lastRendered, played.early->lastRendered);
        EXPECT_GT(started.early->next, beat > 0 ? 0 : -1);
    }
    Demo played, started;
    playTo(played, 5.5, 60, 120);
    startAt(started, 5.5, 120);
    EXPECT_GT(started.late->next, 0) << "the part that began later caught up from its own start";
    EXPECT_FLOAT_EQ(static_cast<float>(started.late->simulated), (5.5f - 2.5f) / 2 + 1.0f / 60);
}

TEST(TimelinePrerollTest, OnlyActivePartsCatchUp) {
    Demo demo;
    prerollTimeline(demo.timeline, 13.0, 120);
    EXPECT_EQ(demo.early->simulated, 0) << "ended at 12: not shown at 13, not simulated";
    EXPECT_NEAR(demo.late->simulated, (13.0 - 2.5) / 2, 1e-3);
    EXPECT_EQ(demo.late->lastRendered, -1) << "the catch-up renders nothing";
}

TEST(TimelinePrerollTest, OtherTemposAndRatesKeepTheSimulatedTime) {
    // At other frame rates play takes bigger steps than the catch-up; the state differs by the
    // integration, but the simulated time agrees within one step.
    for (int fps : {30, 25, 24}) {
        for (int bpm : {120, 90}) {
            FrameSchedule play(0, 16, fps, bpm);
            const double beat = play.beat(fps * 3); // three seconds in
            Demo played, started;
            playTo(played, beat, fps, bpm);
            startAt(started, beat, bpm);
            EXPECT_NEAR(played.early->simulated, started.early->simulated, 1.0 / 60 + 1e-4)
                << fps << " fps, " << bpm << " bpm";
            EXPECT_NEAR(played.early->cloudOffset, started.early->cloudOffset, 0.02f);
        }
    }
}

TEST(TimelinePrerollTest, CatchUpTakesTheStepsPlayTookAtAnyRateUpToSixty) {
    EXPECT_EQ(prerollTicks(0, 4, 120), 120);
    EXPECT_EQ(prerollTicks(0, 4.9, 120), 147);
    EXPECT_EQ(prerollTicks(0, 4.9f, 120), 147) << "a float beat a little past the tick";
    EXPECT_EQ(prerollTicks(2.5, 2.5 + 2.4 / 30, 120), 2) << "between ticks: the ones play has taken";
    EXPECT_EQ(prerollTicks(3, 2, 120), 0);
    // So a still at the beat of any frame of a render from a beat on the tick grid has simulated
    // exactly as many steps as that frame.
    for (int fps : {60, 50, 30, 25, 24, 7}) {
        FrameSchedule play(0, 12, fps, 120);
        Demo played;
        for (long k = 0; k < play.frameCount(); ++k) {
            played.timeline.frame(played.device, play.beat(k), play.step(k));
            if (k % 17 != 3)
                continue;
            Demo started;
            startAt(started, static_cast<double>(k) * 120 / (60.0 * fps), 120);
            ASSERT_EQ(started.early->ticks, played.early->ticks) << fps << " fps, frame " << k;
        }
    }
}

TEST(RenderProgressTest, LinesShowFramesBeatRateAndTimeLeft) {
    char line[160];
    RenderProgress::format(line, sizeof line, 30, 120, 5.25f, 1.0);
    EXPECT_STREQ(line, "render: frame 30 of 120 ( 25%), beat 5.25, 30.0 fps, 0:03 left");
    RenderProgress::format(line, sizeof line, 0, 100000, 0, 0);
    EXPECT_STREQ(line, "render: frame 0 of 100000 (  0%), beat 0.00, 0.0 fps, 0:00 left");
    RenderProgress::format(line, sizeof line, 1000, 100000, 0, 1.0);
    EXPECT_NE(std::string(line).find("1:39 left"), std::string::npos) << line;
}

std::string printed(bool terminal) {
    std::FILE* out = std::tmpfile();
    RenderProgress progress(10, out, terminal ? 1 : 0);
    for (long i = 1; i <= 10; ++i)
        progress.update(i, static_cast<float>(i));
    progress.finish(10, 10);
    std::string text(4096, '\0');
    std::rewind(out);
    text.resize(std::fread(&text[0], 1, text.size(), out));
    std::fclose(out);
    return text;
}

TEST(RenderProgressTest, InPlaceOnATerminalPlainLinesElsewhere) {
    const std::string plain = printed(false);
    EXPECT_EQ(plain.find('\r'), std::string::npos) << plain;
    EXPECT_EQ(plain, "render: frame 10 of 10 (100%), beat 10.00, " +
                         plain.substr(43, plain.find(" fps") - 43) + " fps, 0:00 left\n")
        << "quick updates print nothing; the end prints one line";
    const std::string terminal = printed(true);
    EXPECT_EQ(terminal.rfind("\rrender: frame 10 of 10", 0), 0u) << terminal;
    EXPECT_NE(terminal.find("\033[K"), std::string::npos);
    EXPECT_EQ(terminal.back(), '\n');
}

} // namespace
