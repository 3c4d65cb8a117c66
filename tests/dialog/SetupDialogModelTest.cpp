#include "app/SetupDialogModel.h"

#include <gtest/gtest.h>

namespace {

using Slider = SetupDialogModel::Slider;

// What a screen typically offers, biggest first, each size at several refresh rates.
const std::vector<OfferedDisplayMode> kDesktop = {
    {2560, 1440, 32}, {1920, 1200, 32}, {1920, 1080, 32}, {1920, 1080, 32}, {1680, 1050, 32},
    {1366, 768, 32},  {1280, 1024, 32}, {1280, 800, 32},  {1280, 720, 32},  {1280, 720, 16},
    {1024, 768, 32},  {800, 600, 32},   {640, 360, 32},   {1920, 1080, 24},
};

ApplicationSettings sized(int width, int height) {
    ApplicationSettings s;
    s.width = width;
    s.height = height;
    return s;
}

TEST(SetupDialogModelTest, ListsWideModesOfTheRequestedDepthOnce) {
    SetupDialogModel model(sized(1920, 1080), kDesktop);
    // 1366 * 9 / 16 is 768 in integers; 640x360 is too low; the X server's 24 bits are our 32.
    std::vector<std::string> texts;
    for (size_t i = 0; i < model.modes().size(); ++i)
        texts.push_back(model.modeText(i));
    EXPECT_EQ(texts, (std::vector<std::string>{"2560 * 1440", "1920 * 1200", "1920 * 1080", "1680 * 1050",
                                               "1366 * 768", "1280 * 800", "1280 * 720", "1920 * 1080"}));
    ApplicationSettings highColour = sized(1920, 1080);
    highColour.colorBits = 16;
    EXPECT_EQ(SetupDialogModel(highColour, kDesktop).modes().size(), 1u);

    std::vector<OfferedDisplayMode> many = {{2147483647, 2147483647, 32}, {-1920, -1080, 32}};
    for (int w = 720; w < 720 + 6000; ++w)
        many.push_back({w, w * 9 / 16, 32});
    SetupDialogModel full(sized(720, 405), many);
    EXPECT_EQ(full.modes().size(), SetupDialogModel::kModeLimit + 1);
    EXPECT_EQ(full.modes().front().width, 720);
}

TEST(SetupDialogModelTest, SelectsTheExactModeElseTheLastOfTheSameWidth) {
    EXPECT_EQ(SetupDialogModel(sized(1920, 1200), kDesktop).selection(), 1);
    EXPECT_EQ(SetupDialogModel(sized(1920, 1080), kDesktop).selection(), 7); // listed twice
    EXPECT_EQ(SetupDialogModel(sized(1280, 1024), kDesktop).selection(), 6);

    ApplicationSettings s = sized(1024, 768);
    SetupDialogModel model(s, kDesktop);
    EXPECT_EQ(model.selection(), -1);
    model.run(s);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 768);
    model.select(8);
    EXPECT_EQ(model.selection(), -1);
}

TEST(SetupDialogModelTest, FullscreenClearsAndDisablesAlwaysOnTop) {
    ApplicationSettings s;
    s.alwaysOnTop = true;
    SetupDialogModel model(s, kDesktop);
    model.setFullscreen(true);
    EXPECT_FALSE(model.alwaysOnTop());
    EXPECT_FALSE(model.alwaysOnTopEnabled());
    model.setFullscreen(false);
    EXPECT_FALSE(model.alwaysOnTop());
    EXPECT_TRUE(model.alwaysOnTopEnabled());

    // Starting in full screen only disables the box; its mark stays until full screen is clicked.
    s.fullscreen = true;
    EXPECT_TRUE(SetupDialogModel(s, kDesktop).alwaysOnTop());
    EXPECT_FALSE(SetupDialogModel(s, kDesktop).alwaysOnTopEnabled());
}

TEST(SetupDialogModelTest, SlidersStartFromTheRecordAndStayInTheTable) {
    ApplicationSettings s;
    s.samples = 1;
    s.anisotropy = 16;
    SetupDialogModel model(s, kDesktop);
    EXPECT_FALSE(model.sliderEnabled(Slider::Multisampling));
    EXPECT_EQ(model.sliderLabel(Slider::Multisampling), "1x");
    EXPECT_TRUE(model.sliderEnabled(Slider::Anisotropy));
    EXPECT_EQ(model.sliderPosition(Slider::Anisotropy), 4);
    EXPECT_EQ(model.sliderLabel(Slider::Anisotropy), "16x");

    s.samples = 4;
    s.anisotropy = 0;
    EXPECT_EQ(SetupDialogModel(s, kDesktop).sliderLabel(Slider::Multisampling), "4x");
    EXPECT_FALSE(SetupDialogModel(s, kDesktop).sliderEnabled(Slider::Anisotropy));

    EXPECT_EQ(model.setSliderPosition(Slider::Multisampling, 7), 4);
    EXPECT_EQ(model.sliderLabel(Slider::Multisampling), "16x");
    EXPECT_EQ(model.setSliderPosition(Slider::Anisotropy, -3), 0);
}

TEST(SetupDialogModelTest, RunStoresEveryControl) {
    ApplicationSettings s = sized(1920, 1080);
    s.anisotropy = 0; // disabled sliders still store their value
    SetupDialogModel model(s, kDesktop);
    model.run(s);
    EXPECT_EQ(s.samples, 1);
    EXPECT_EQ(s.anisotropy, 1);

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
}

} // namespace
