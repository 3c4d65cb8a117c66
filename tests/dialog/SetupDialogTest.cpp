#include "app/SetupDialog.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <string>

namespace {

const std::vector<OfferedDisplayMode> kModes = {{1280, 720, 32}, {1920, 1080, 32}, {1920, 1200, 32}};

// Puts an environment variable back as it was when the test ends.
class EnvironmentVariable {
public:
    explicit EnvironmentVariable(const char* name) : name_(name) {
        const char* value = std::getenv(name);
        had_ = value != nullptr;
        if (had_)
            value_ = value;
    }
    ~EnvironmentVariable() {
        if (had_)
            setenv(name_, value_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string value_;
};

// A hook that never presses a button would leave the dialog open for ever; this cancels every
// dialog still open after a while, and the test fails.
class Watchdog {
public:
    Watchdog() : source_(g_timeout_add_seconds(20, fire, nullptr)) {}
    ~Watchdog() {
        if (!fired_)
            g_source_remove(source_);
    }

private:
    static gboolean fire(gpointer) {
        fired_ = true;
        ADD_FAILURE() << "the dialog was still open after 20 s";
        GList* windows = gtk_window_list_toplevels();
        for (GList* w = windows; w; w = w->next)
            if (GTK_IS_DIALOG(w->data))
                gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_CANCEL);
        g_list_free(windows);
        return G_SOURCE_REMOVE;
    }
    static inline bool fired_ = false;
    guint source_;
};

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no X display";
    }
};

std::string label(GtkWidget* widget) {
    return gtk_label_get_text(GTK_LABEL(widget));
}
bool checked(GtkWidget* widget) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget));
}

TEST_F(SetupDialogTest, RunStoresWhatTheWidgetsShow) {
    ApplicationSettings s;
    s.title = "Dialog test";
    s.width = 1920;
    s.height = 1080;
    s.samples = 1;
    s.anisotropy = 16;
    s.alwaysOnTop = true;
    bool shown = false;
    Watchdog watchdog;
    const SetupDialogResult result = showSetupDialog(s, kModes, [&](const SetupDialogWidgets& w) {
        shown = true;
        EXPECT_EQ(std::string(gtk_window_get_title(GTK_WINDOW(w.dialog))), "Dialog test");
        EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(w.resolution)), 1);
        EXPECT_FALSE(gtk_widget_get_sensitive(w.multisampling));
        EXPECT_EQ(label(w.anisotropyLabel), "16x");
        EXPECT_TRUE(checked(w.alwaysOnTop));

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
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(result, SetupDialogResult::Run);
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1200);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_FALSE(s.alwaysOnTop);
    EXPECT_TRUE(s.vsync);
    EXPECT_EQ(s.samples, 1);
    EXPECT_EQ(s.anisotropy, 8);
    // Numbers in the files that load next are still read with a point.
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    // The dialog is gone and nothing of it waits to be delivered to the window that opens next.
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next)
        EXPECT_FALSE(GTK_IS_DIALOG(w->data));
    g_list_free(windows);
    EXPECT_FALSE(gtk_events_pending());
}

TEST_F(SetupDialogTest, CancelLeavesTheRecordAlone) {
    ApplicationSettings s;
    s.width = 1280;
    s.height = 720;
    Watchdog watchdog;
    const SetupDialogResult result = showSetupDialog(s, kModes, [](const SetupDialogWidgets& w) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(w.resolution), 2);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.fullscreen), TRUE);
        gtk_range_set_value(GTK_RANGE(w.multisampling), 4);
        gtk_button_clicked(GTK_BUTTON(w.cancel));
    });
    EXPECT_EQ(result, SetupDialogResult::Cancel);
    EXPECT_EQ(s.width, 1280);
    EXPECT_EQ(s.height, 720);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.samples, 1);
}

TEST_F(SetupDialogTest, OffersTheScreensOwnModes) {
    ApplicationSettings s;
    const std::vector<OfferedDisplayMode> offered = primaryDisplayModes();
    ASSERT_FALSE(offered.empty());
    s.width = offered.front().width;
    s.height = offered.front().height;
    const SetupDialogModel expected(s, offered);
    int listed = -1;
    Watchdog watchdog;
    showSetupDialog(s, [&](const SetupDialogWidgets& w) {
        listed =
            gtk_tree_model_iter_n_children(gtk_combo_box_get_model(GTK_COMBO_BOX(w.resolution)), nullptr);
        gtk_button_clicked(GTK_BUTTON(w.run));
    });
    EXPECT_EQ(listed, static_cast<int>(expected.modes().size()));
}

TEST(SetupDialogDisplayTest, WithoutADisplayNothingIsShown) {
    EnvironmentVariable x11("DISPLAY"), wayland("WAYLAND_DISPLAY");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    ApplicationSettings s;
    bool shown = false;
    EXPECT_EQ(showSetupDialog(s, [&](const SetupDialogWidgets&) { shown = true; }),
              SetupDialogResult::NoDisplay);
    EXPECT_FALSE(shown);
}

TEST(SetupDialogDisplayTest, ADisplayThatCannotBeOpenedIsNoDisplay) {
    // GTK stays on the first display it opened, so this runs in a fresh process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DISPLAY", ":4711", 1);
            unsetenv("WAYLAND_DISPLAY");
            ApplicationSettings s;
            std::_Exit(showSetupDialog(s) == SetupDialogResult::NoDisplay ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
