#include "app/SetupDialog.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <string>

namespace {

// GTK's accessibility bridge holds allocations until exit that the leak checker cannot trace to
// a module, and there is no accessibility bus under Xvfb anyway.
const bool kNoAccessibilityBridge = setenv("NO_AT_BRIDGE", "1", 1) == 0;

const std::vector<OfferedDisplayMode> kModes = {{1280, 720, 32}, {1920, 1080, 32}, {1920, 1200, 32}};

// A hook that never presses a button would leave the dialog open for ever: after a while this
// cancels every open dialog, and the test fails.
struct Watchdog {
    static gboolean fire(gpointer) {
        ADD_FAILURE() << "the dialog was still open after 20 s";
        GList* windows = gtk_window_list_toplevels();
        for (GList* w = windows; w; w = w->next)
            if (GTK_IS_DIALOG(w->data))
                gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_CANCEL);
        g_list_free(windows);
        return G_SOURCE_CONTINUE;
    }
    guint source = g_timeout_add_seconds(20, fire, nullptr);
    ~Watchdog() { g_source_remove(source); }
};

std::string label(GtkWidget* widget) {
    return gtk_label_get_text(GTK_LABEL(widget));
}
bool checked(GtkWidget* widget) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget));
}

TEST(SetupDialogTest, RunStoresWhatTheWidgetsShowAndCancelNothing) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    setenv("LC_ALL", "C.UTF-8", 1); // a locale GTK would switch numbers to if it were let
    ApplicationSettings s;
    s.title = "Dialog test";
    s.width = 1920;
    s.height = 1080;
    s.anisotropy = 16;
    Watchdog watchdog;
    bool shown = false;
    EXPECT_EQ(showSetupDialog(s, kModes,
                              [&](const SetupDialogWidgets& w) {
                                  shown = true;
                                  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(w.dialog)), "Dialog test");
                                  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(w.resolution)), 1);
                                  EXPECT_FALSE(gtk_widget_get_sensitive(w.multisampling));
                                  EXPECT_EQ(label(w.anisotropyLabel), "16x");
                                  gtk_combo_box_set_active(GTK_COMBO_BOX(w.resolution), 2);
                                  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.fullscreen), TRUE);
                                  EXPECT_FALSE(checked(w.alwaysOnTop));
                                  EXPECT_FALSE(gtk_widget_get_sensitive(w.alwaysOnTop));
                                  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.vsync), TRUE);
                                  // A slider dragged between stops snaps to the nearest one.
                                  gtk_range_set_value(GTK_RANGE(w.anisotropy), 2.6);
                                  EXPECT_EQ(gtk_range_get_value(GTK_RANGE(w.anisotropy)), 3.0);
                                  EXPECT_EQ(label(w.anisotropyLabel), "8x");
                                  gtk_button_clicked(GTK_BUTTON(w.run));
                              }),
              SetupDialogResult::Run);
    ASSERT_TRUE(shown);
    EXPECT_EQ(s.height, 1200);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_FALSE(s.alwaysOnTop);
    EXPECT_TRUE(s.vsync);
    EXPECT_EQ(s.samples, 1);
    EXPECT_EQ(s.anisotropy, 8);
    // The loaders that run next still read numbers with a point, and the dialog is gone.
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_FALSE(gtk_events_pending());

    EXPECT_EQ(showSetupDialog(s, kModes,
                              [](const SetupDialogWidgets& w) {
                                  gtk_combo_box_set_active(GTK_COMBO_BOX(w.resolution), 0);
                                  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.fullscreen), FALSE);
                                  gtk_button_clicked(GTK_BUTTON(w.cancel));
                              }),
              SetupDialogResult::Cancel);
    EXPECT_EQ(s.height, 1200);
    EXPECT_TRUE(s.fullscreen);
}

TEST(SetupDialogTest, OffersTheScreensOwnModes) {
    const std::vector<OfferedDisplayMode> offered = primaryDisplayModes();
    if (offered.empty())
        GTEST_SKIP() << "no X display";
    ApplicationSettings s;
    s.width = offered.front().width;
    s.height = offered.front().height;
    const SetupDialogModel expected(s, offered);
    int listed = -1, active = -2;
    Watchdog watchdog;
    showSetupDialog(s, [&](const SetupDialogWidgets& w) {
        listed =
            gtk_tree_model_iter_n_children(gtk_combo_box_get_model(GTK_COMBO_BOX(w.resolution)), nullptr);
        active = gtk_combo_box_get_active(GTK_COMBO_BOX(w.resolution));
        gtk_button_clicked(GTK_BUTTON(w.run));
    });
    EXPECT_EQ(listed, static_cast<int>(expected.modes().size()));
    EXPECT_EQ(active, expected.selection());
}

TEST(SetupDialogTest, WithoutADisplayNothingIsShown) {
    // GTK keeps the first display it opened, so each case runs in a fresh process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* display : {"", ":4711"}) {
        EXPECT_EXIT(
            {
                if (*display)
                    setenv("DISPLAY", display, 1);
                else
                    unsetenv("DISPLAY");
                unsetenv("WAYLAND_DISPLAY");
                ApplicationSettings s;
                std::_Exit(showSetupDialog(s) == SetupDialogResult::NoDisplay ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << (*display ? display : "DISPLAY unset");
    }
}

} // namespace
