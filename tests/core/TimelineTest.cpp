#include "demo/Timeline.h"
#include "demo/LoadingScreen.h"
#include "render/Device.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

// Logs every call so tests can check order and arguments.
class LoggingPart : public Part {
public:
    LoggingPart(std::string* log, char id, bool loads = true) : log_(log), id_(id), loads_(loads) { ++alive; }
    ~LoggingPart() override { --alive; }

    bool load(Ref<LoadingScreen>& screen) override {
        *log_ += std::string("L") + id_;
        stepSeen = screen ? screen->getStep() : -1;
        return loads_;
    }
    void unload() override { *log_ += std::string("U") + id_; }
    void update(float time, float step) override {
        *log_ += std::string("u") + id_;
        lastTime = time;
        lastStep = step;
    }
    void render(Ref<Device>&, float, float) override { *log_ += std::string("r") + id_; }

    static int alive;
    float stepSeen = 0, lastTime = 0, lastStep = 0;

private:
    std::string* log_;
    char id_;
    bool loads_;
};
int LoggingPart::alive = 0;

class TimelineTest : public ::testing::Test {
protected:
    void TearDown() override {
        timeline.unloadAll();
        EXPECT_EQ(LoggingPart::alive, 0);
    }
    Ref<LoggingPart> add(char id, float start, float end, bool loads = true) {
        Ref<LoggingPart> p = makeRef<LoggingPart>(&log, id, loads);
        timeline.registerPart(std::string(1, id).c_str(), start, end, p);
        return p;
    }
    bool frame(float t, float step = 1.0f / 60) { return timeline.frame(device, t, step); }

    Timeline timeline;
    Ref<Device> device;
    std::string log;
};

TEST_F(TimelineTest, IntervalsAreHalfOpen) {
    add('a', 0, 106);
    add('b', 106, 224);
    EXPECT_TRUE(frame(0));
    EXPECT_EQ(log, "uara");
    log.clear();
    EXPECT_TRUE(frame(106));
    EXPECT_EQ(log, "ubrb") << "the end of one part is the start of the next";
    log.clear();
    EXPECT_FALSE(frame(224));
    EXPECT_EQ(log, "");
}

TEST_F(TimelineTest, OverlapsRunInRegistrationOrderAndGapsEndTheDemo) {
    Ref<LoggingPart> late = add('b', 5, 10);
    add('a', 0, 8);
    add('c', 20, 30);
    EXPECT_TRUE(frame(6, 0.05f));
    EXPECT_EQ(log, "ubrbuara");
    EXPECT_FLOAT_EQ(late->lastTime, 6);
    EXPECT_FLOAT_EQ(late->lastStep, 0.05f);
    log.clear();
    EXPECT_FALSE(frame(15)) << "a gap between parts";
    EXPECT_EQ(log, "");
}

TEST_F(TimelineTest, NegativeAndNanTimes) {
    add('a', -10, 10);
    EXPECT_TRUE(frame(-1)) << "negative time: nothing runs but the demo goes on";
    EXPECT_EQ(log, "");
    EXPECT_FALSE(frame(std::nanf("")));
    EXPECT_EQ(log, "");
}

TEST_F(TimelineTest, EmptyTimelineAndEmptyIntervals) {
    EXPECT_FALSE(frame(0));
    EXPECT_FALSE(frame(1000));
    add('a', 5, 5);
    add('b', 6, 2);
    EXPECT_FALSE(frame(5));
    EXPECT_FALSE(frame(4));
}

TEST_F(TimelineTest, LoadAllSharesTheRestOfTheProgress) {
    Ref<LoadingScreen> screen = makeRef<LoadingScreen>();
    screen->progress = 0.2f;
    Ref<LoggingPart> a = add('a', 0, 1);
    Ref<LoggingPart> b = add('b', 1, 2);
    EXPECT_TRUE(timeline.loadAll(screen));
    EXPECT_FLOAT_EQ(screen->getStep(), 0.4f);
    EXPECT_FLOAT_EQ(a->stepSeen, 0.4f);
    EXPECT_EQ(log, "LaLb");

    Timeline single;
    Ref<LoadingScreen> fresh = makeRef<LoadingScreen>();
    fresh->progress = 0.25f;
    single.registerPart("only", 0, 1, makeRef<LoggingPart>(&log, 'x'));
    EXPECT_TRUE(single.loadAll(fresh));
    EXPECT_FLOAT_EQ(fresh->getStep(), 0.75f) << "one part gets the whole remaining progress";
    single.unloadAll();
}

TEST_F(TimelineTest, LoadAllStopsAtTheFirstFailureAndUnloadAllVisitsEveryPart) {
    Ref<LoadingScreen> screen = makeRef<LoadingScreen>();
    add('a', 0, 1);
    add('b', 1, 2, false);
    add('c', 2, 3);
    EXPECT_FALSE(timeline.loadAll(screen));
    EXPECT_EQ(log, "LaLb");
    log.clear();
    timeline.unloadAll();
    EXPECT_EQ(log, "UaUbUc");
    EXPECT_EQ(timeline.count(), 0u);
    EXPECT_EQ(LoggingPart::alive, 0) << "the timeline held the only references";
}

TEST_F(TimelineTest, EntriesKeepTheirNamesAndAPartOutlivesItsEntryIfHeld) {
    Ref<LoggingPart> kept = add('k', 0, 1);
    ASSERT_EQ(timeline.count(), 1u);
    EXPECT_EQ(timeline.entries().front().name, "k");
    EXPECT_EQ(kept->referenceCount(), 2);
    timeline.unloadAll();
    EXPECT_EQ(kept->referenceCount(), 1);
    EXPECT_EQ(LoggingPart::alive, 1);
    kept = nullptr;
}

} // namespace
