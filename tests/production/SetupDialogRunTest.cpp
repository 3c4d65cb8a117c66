// The production's set-up through the real settings dialog (GTK under Xvfb).
#include "Vorndle.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace {

bool displayAvailable() {
    // The accessibility bridge leaves allocations behind that the leak checker cannot attribute.
    setenv("NO_AT_BRIDGE", "1", 1);
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

} // namespace

TEST(VorndleSetupDialog, CancelEndsTheProgramBeforeAnyWindow) {
    if (!displayAvailable())
        GTEST_SKIP() << "needs an X display";
    Vorndle demo;
    demo.dialogHook = [](const SetupDialogWidgets& w) { gtk_button_clicked(GTK_BUTTON(w.cancel)); };
    EXPECT_FALSE(demo.setup());
    EXPECT_EQ(demo.windowHandle(), nullptr);
}

TEST(VorndleSetupDialog, RunStoresTheChoicesAndTheAspect) {
    if (!displayAvailable())
        GTEST_SKIP() << "needs an X display";
    Vorndle demo;
    demo.dialogHook = [](const SetupDialogWidgets& w) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.fullscreen), TRUE);
        gtk_range_set_value(GTK_RANGE(w.anisotropy), 2);
        gtk_button_clicked(GTK_BUTTON(w.run));
    };
    ASSERT_TRUE(demo.setup());
    EXPECT_TRUE(demo.settings.fullscreen);
    EXPECT_FALSE(demo.settings.alwaysOnTop) << "full screen clears always-on-top";
    EXPECT_EQ(demo.settings.anisotropy, 4);
    EXPECT_EQ(demo.requestedAnisotropy, 4.0f);
    EXPECT_GT(demo.settings.width, 0);
    EXPECT_FLOAT_EQ(demo.settings.aspect, float(demo.settings.width) / float(demo.settings.height));
}
