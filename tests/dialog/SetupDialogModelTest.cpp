#include "app/SetupDialogModel.h"

#include <gtest/gtest.h>

namespace {

using Slider = SetupDialogModel::Slider;

std::vector<std::pair<int, int>> sizes(const SetupDialogModel& model) {
    std::vector<std::pair<int, int>> out;
    for (const SetupDialogModel::Resolution& r : model.modes())
        out.emplace_back(r.width, r.height);
    return out;
}

// What a screen typically offers, biggest first, each size at several refresh rates.
const std::vector<OfferedDisplayMode> kDesktop = {
    {2560, 1440, 32}, {1920, 1200, 32}, {1920, 1080, 32}, {1920, 1080, 32}, {1680, 1050, 32},
    {1366, 768, 32},  {1280, 1024, 32}, {1280, 800, 32},  {1280, 720, 32},  {1280, 720, 16},
    {1024, 768, 32},  {800, 600, 32},   {640, 360, 32},   {1920, 1080, 32},
};

ApplicationSettings settingsFor(int width, int height) {
    ApplicationSettings s;
    s.width = width;
    s.height = height;
    return s;
}

TEST(SetupDialogModelTest, ListsWideModesOfTheRequestedDepthOnce) {
    SetupDialogModel model(settingsFor(1920, 1080), kDesktop);
    // 1366 * 9 / 16 is 768 in integers; 1280x1024, 1024x768 and 800x600 are not wide, 640x360 is
    // too low, the 16-bit 1280x720 is the wrong depth. A size seen again after another one is
    // listed again.
    const std::vector<std::pair<int, int>> expected = {{2560, 1440}, {1920, 1200}, {1920, 1080},
                                                       {1680, 1050}, {1366, 768},  {1280, 800},
                                                       {1280, 720},  {1920, 1080}};
    EXPECT_EQ(sizes(model), expected);
    EXPECT_EQ(model.modeText(1), "1920 * 1200");
    EXPECT_EQ(model.modeText(99), "");
}

TEST(SetupDialogModelTest, TwentyFourAndThirtyTwoBitsAreTheSameDepth) {
    ApplicationSettings s = settingsFor(1920, 1080);
    EXPECT_EQ(SetupDialogModel(s, {{1920, 1080, 24}}).modes().size(), 1u);
    s.colorBits = 24;
    EXPECT_EQ(SetupDialogModel(s, {{1920, 1080, 32}}).modes().size(), 1u);
    s.colorBits = 16;
    EXPECT_TRUE(SetupDialogModel(s, {{1920, 1080, 24}, {1920, 1080, 32}}).modes().empty());
}

TEST(SetupDialogModelTest, TheListStopsOnePastTheLimit) {
    std::vector<OfferedDisplayMode> many;
    for (int w = 720; w < 720 + 6000; ++w)
        many.push_back({w, w * 9 / 16, 32});
    // Absurd sizes must neither overflow the aspect test nor be accepted by it.
    many.insert(many.begin(), {{2147483647, 2147483647, 32}, {-1920, -1080, 32}});
    SetupDialogModel model(settingsFor(640, 360), many);
    EXPECT_EQ(model.modes().size(), SetupDialogModel::kModeLimit + 1);
    EXPECT_EQ(model.modes().front().width, 720);
}

TEST(SetupDialogModelTest, SelectsTheExactModeElseTheLastOfTheSameWidth) {
    EXPECT_EQ(SetupDialogModel(settingsFor(1920, 1200), kDesktop).selection(), 1);
    // 1920x1080 is listed twice; the later entry wins.
    EXPECT_EQ(SetupDialogModel(settingsFor(1920, 1080), kDesktop).selection(), 7);
    EXPECT_EQ(SetupDialogModel(settingsFor(1280, 1024), kDesktop).selection(), 6); // 1280x720
    EXPECT_EQ(SetupDialogModel(settingsFor(1920, 1000), kDesktop).selection(), 7);
}

TEST(SetupDialogModelTest, WithNoModeOfTheWidthRunKeepsTheSize) {
    ApplicationSettings s = settingsFor(1024, 768);
    SetupDialogModel model(s, kDesktop);
    EXPECT_EQ(model.selection(), -1);
    model.run(s);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 768);

    model.select(2);
    model.run(s);
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1080);
    model.select(8);
    EXPECT_EQ(model.selection(), -1);
    EXPECT_EQ(SetupDialogModel(s, {}).selection(), -1);
}

TEST(SetupDialogModelTest, FullscreenClearsAndDisablesAlwaysOnTop) {
    ApplicationSettings s;
    s.alwaysOnTop = true;
    SetupDialogModel model(s, kDesktop);
    EXPECT_TRUE(model.alwaysOnTop());
    EXPECT_TRUE(model.alwaysOnTopEnabled());
    model.setFullscreen(true);
    EXPECT_FALSE(model.alwaysOnTop());
    EXPECT_FALSE(model.alwaysOnTopEnabled());
    model.setFullscreen(false);
    EXPECT_FALSE(model.alwaysOnTop());
    EXPECT_TRUE(model.alwaysOnTopEnabled());

    // Starting in full screen only disables the box; its mark stays until full screen is clicked.
    s.fullscreen = true;
    SetupDialogModel started(s, kDesktop);
    EXPECT_TRUE(started.alwaysOnTop());
    EXPECT_FALSE(started.alwaysOnTopEnabled());
}

TEST(SetupDialogModelTest, SlidersStartFromTheRecord) {
    ApplicationSettings s;
    s.samples = 1;
    s.anisotropy = 16;
    SetupDialogModel model(s, kDesktop);
    EXPECT_FALSE(model.sliderEnabled(Slider::Multisampling));
    EXPECT_EQ(model.sliderPosition(Slider::Multisampling), 0);
    EXPECT_EQ(model.sliderLabel(Slider::Multisampling), "1x");
    EXPECT_TRUE(model.sliderEnabled(Slider::Anisotropy));
    EXPECT_EQ(model.sliderPosition(Slider::Anisotropy), 4);
    EXPECT_EQ(model.sliderLabel(Slider::Anisotropy), "16x");

    s.samples = 4;
    s.anisotropy = 0;
    SetupDialogModel other(s, kDesktop);
    EXPECT_EQ(other.sliderPosition(Slider::Multisampling), 2);
    EXPECT_EQ(other.sliderLabel(Slider::Multisampling), "4x");
    EXPECT_FALSE(other.sliderEnabled(Slider::Anisotropy));

    s.samples = 3; // not in the table
    EXPECT_EQ(SetupDialogModel(s, kDesktop).sliderPosition(Slider::Multisampling), 0);
    EXPECT_TRUE(SetupDialogModel(s, kDesktop).sliderEnabled(Slider::Multisampling));
}

TEST(SetupDialogModelTest, SliderPositionsAreClampedToTheTable) {
    SetupDialogModel model(ApplicationSettings(), kDesktop);
    EXPECT_EQ(model.setSliderPosition(Slider::Multisampling, 7), 4);
    EXPECT_EQ(model.sliderLabel(Slider::Multisampling), "16x");
    EXPECT_EQ(model.setSliderPosition(Slider::Anisotropy, -3), 0);
    EXPECT_EQ(model.sliderLabel(Slider::Anisotropy), "1x");
    EXPECT_EQ(model.setSliderPosition(Slider::Anisotropy, 3), 3);
    EXPECT_EQ(model.sliderLabel(Slider::Anisotropy), "8x");
}

TEST(SetupDialogModelTest, RunStoresEveryControl) {
    ApplicationSettings s = settingsFor(1920, 1080);
    s.title = "Demo";
    s.samples = 1; // disabled slider: still stores its value
    s.anisotropy = 0;
    s.alwaysOnTop = true;
    SetupDialogModel model(s, kDesktop);
    EXPECT_EQ(model.caption(), "Demo");
    model.run(s);
    EXPECT_EQ(s.samples, 1);
    EXPECT_EQ(s.anisotropy, 1);
    EXPECT_TRUE(s.alwaysOnTop);

    model.select(0);
    model.setFullscreen(true);
    model.setVsync(true);
    model.setSliderPosition(Slider::Multisampling, 3);
    model.setSliderPosition(Slider::Anisotropy, 2);
    model.run(s);
    EXPECT_EQ(s.width, 2560);
    EXPECT_EQ(s.height, 1440);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_FALSE(s.alwaysOnTop);
    EXPECT_TRUE(s.vsync);
    EXPECT_EQ(s.samples, 8);
    EXPECT_EQ(s.anisotropy, 4);
    EXPECT_EQ(s.title, "Demo");
}

} // namespace
