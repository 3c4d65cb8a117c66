#include "app/SetupDialog.h"
#include "core/Diagnostics.h"
#include "core/Paths.h"

#include <SDL.h>
#include <cmath>
#include <cstdlib>
#include <gtk/gtk.h>

namespace {

using Slider = SetupDialogModel::Slider;

// What the signal handlers share while the dialog runs.
struct DialogState {
    SetupDialogModel model;
    SetupDialogWidgets widgets;
    SetupDialogShownHook onShown;
    bool shown = false;
    guint hookSource = 0; // the idle call of onShown while it is pending
};

bool displayNamed() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

bool startGtk() {
    // GTK would otherwise switch the whole process to the user's locale, and the loaders that
    // follow read numbers such as "0.5" with the C library.
    static bool localeKept = false;
    if (!localeKept) {
        gtk_disable_setlocale();
        localeKept = true;
    }
    return gtk_init_check(nullptr, nullptr);
}

// Where SDL cannot ask the screen (a Wayland session without XWayland, say), the monitor's
// current size is the one mode offered.
std::vector<OfferedDisplayMode> monitorMode() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return {};
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return {};
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    const int scale = gdk_monitor_get_scale_factor(monitor);
    GdkVisual* visual = gdk_screen_get_system_visual(gdk_display_get_default_screen(display));
    return {{area.width * scale, area.height * scale, visual ? gdk_visual_get_depth(visual) : 24}};
}

GtkWidget* loadPicture() {
    const std::string path = resolveDataPath("data/setup.png");
    if (!unreadableFileReason(path).empty())
        return nullptr;
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
    if (!pixbuf) {
        diagnostic(path.c_str(), "setup picture", "%s", error ? error->message : "cannot be decoded");
        if (error)
            g_error_free(error);
        return nullptr;
    }
    GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
    g_object_unref(pixbuf);
    return image;
}

GtkWidget* rightAlignedLabel(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
    return label;
}

GtkWidget* slider(const SetupDialogModel& model, Slider which) {
    GtkWidget* scale =
        gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, SetupDialogModel::kLastSliderPosition, 1);
    gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
    gtk_scale_set_digits(GTK_SCALE(scale), 0);
    gtk_range_set_round_digits(GTK_RANGE(scale), 0);
    gtk_range_set_increments(GTK_RANGE(scale), 1, 1);
    gtk_range_set_value(GTK_RANGE(scale), model.sliderPosition(which));
    gtk_widget_set_sensitive(scale, model.sliderEnabled(which));
    gtk_widget_set_size_request(scale, 100, -1);
    gtk_widget_set_hexpand(scale, TRUE);
    return scale;
}

GtkWidget* sliderLabel(const SetupDialogModel& model, Slider which) {
    GtkWidget* label = gtk_label_new(model.sliderLabel(which).c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_width_chars(GTK_LABEL(label), 3);
    // The value beside a slider is information, not a control: it is always drawn greyed.
    gtk_widget_set_sensitive(label, FALSE);
    return label;
}

void resolutionChanged(GtkComboBox* combo, gpointer data) {
    static_cast<DialogState*>(data)->model.select(gtk_combo_box_get_active(combo));
}

void fullscreenToggled(GtkToggleButton* button, gpointer data) {
    auto* state = static_cast<DialogState*>(data);
    state->model.setFullscreen(gtk_toggle_button_get_active(button));
    GtkWidget* onTop = state->widgets.alwaysOnTop;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(onTop), state->model.alwaysOnTop());
    gtk_widget_set_sensitive(onTop, state->model.alwaysOnTopEnabled());
}

void alwaysOnTopToggled(GtkToggleButton* button, gpointer data) {
    static_cast<DialogState*>(data)->model.setAlwaysOnTop(gtk_toggle_button_get_active(button));
}

void vsyncToggled(GtkToggleButton* button, gpointer data) {
    static_cast<DialogState*>(data)->model.setVsync(gtk_toggle_button_get_active(button));
}

void sliderMoved(GtkRange* range, gpointer data) {
    auto* state = static_cast<DialogState*>(data);
    const bool multisampling = GTK_WIDGET(range) == state->widgets.multisampling;
    const Slider which = multisampling ? Slider::Multisampling : Slider::Anisotropy;
    const double value = gtk_range_get_value(range);
    const int position = state->model.setSliderPosition(
        which, std::isfinite(value) ? static_cast<int>(std::lround(value)) : 0);
    // Snaps a dragged slider to its nearest stop; the nested call finds the value already whole.
    if (value != position)
        gtk_range_set_value(range, position);
    GtkWidget* label = multisampling ? state->widgets.multisamplingLabel : state->widgets.anisotropyLabel;
    gtk_label_set_text(GTK_LABEL(label), state->model.sliderLabel(which).c_str());
}

gboolean runShownHook(gpointer data) {
    auto* state = static_cast<DialogState*>(data);
    state->hookSource = 0;
    state->onShown(state->widgets);
    return G_SOURCE_REMOVE;
}

gboolean dialogMapped(GtkWidget*, GdkEvent*, gpointer data) {
    auto* state = static_cast<DialogState*>(data);
    if (!state->shown && state->onShown) {
        state->shown = true;
        state->hookSource = g_idle_add(runShownHook, state);
    }
    return FALSE;
}

void buildDialog(DialogState& state) {
    SetupDialogModel& model = state.model;
    SetupDialogWidgets& w = state.widgets;

    w.dialog = gtk_dialog_new();
    GtkWindow* window = GTK_WINDOW(w.dialog);
    // The title comes from the production or a file; GTK only takes UTF-8.
    gchar* title = g_utf8_make_valid(model.caption().c_str(), static_cast<gssize>(model.caption().size()));
    gtk_window_set_title(window, title);
    g_free(title);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);

    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 10);

    w.picture = loadPicture();
    if (w.picture) {
        gtk_widget_set_valign(w.picture, GTK_ALIGN_START);
        gtk_grid_attach(GTK_GRID(grid), w.picture, 0, 0, 1, 6);
    }

    w.resolution = gtk_combo_box_text_new();
    for (size_t i = 0; i < model.modes().size(); ++i)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(w.resolution), model.modeText(i).c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(w.resolution), model.selection());

    w.fullscreen = gtk_check_button_new();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.fullscreen), model.fullscreen());
    w.alwaysOnTop = gtk_check_button_new();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.alwaysOnTop), model.alwaysOnTop());
    gtk_widget_set_sensitive(w.alwaysOnTop, model.alwaysOnTopEnabled());
    w.vsync = gtk_check_button_new();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.vsync), model.vsync());

    w.multisampling = slider(model, Slider::Multisampling);
    w.multisamplingLabel = sliderLabel(model, Slider::Multisampling);
    w.anisotropy = slider(model, Slider::Anisotropy);
    w.anisotropyLabel = sliderLabel(model, Slider::Anisotropy);

    const struct {
        const char* text;
        GtkWidget* control;
        GtkWidget* value;
    } rows[] = {
        {"Resolution:", w.resolution, nullptr},
        {"Fullscreen:", w.fullscreen, nullptr},
        {"Always on top:", w.alwaysOnTop, nullptr},
        {"Vertical sync:", w.vsync, nullptr},
        {"Multisampling:", w.multisampling, w.multisamplingLabel},
        {"Anisotropic:", w.anisotropy, w.anisotropyLabel},
    };
    int row = 0;
    for (const auto& r : rows) {
        gtk_grid_attach(GTK_GRID(grid), rightAlignedLabel(r.text), 1, row, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), r.control, 2, row, r.value ? 1 : 2, 1);
        if (r.value)
            gtk_grid_attach(GTK_GRID(grid), r.value, 3, row, 1, 1);
        ++row;
    }
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(w.dialog))), grid, TRUE, TRUE, 0);

    w.run = gtk_dialog_add_button(GTK_DIALOG(w.dialog), "Run", GTK_RESPONSE_OK);
    w.cancel = gtk_dialog_add_button(GTK_DIALOG(w.dialog), "Cancel", GTK_RESPONSE_CANCEL);
    gtk_widget_set_can_default(w.run, TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(w.dialog), GTK_RESPONSE_OK);

    // Connected after the widgets took their starting values, so those reach the model unchanged.
    g_signal_connect(w.resolution, "changed", G_CALLBACK(resolutionChanged), &state);
    g_signal_connect(w.fullscreen, "toggled", G_CALLBACK(fullscreenToggled), &state);
    g_signal_connect(w.alwaysOnTop, "toggled", G_CALLBACK(alwaysOnTopToggled), &state);
    g_signal_connect(w.vsync, "toggled", G_CALLBACK(vsyncToggled), &state);
    g_signal_connect(w.multisampling, "value-changed", G_CALLBACK(sliderMoved), &state);
    g_signal_connect(w.anisotropy, "value-changed", G_CALLBACK(sliderMoved), &state);
    g_signal_connect(w.dialog, "map-event", G_CALLBACK(dialogMapped), &state);
}

} // namespace

std::vector<OfferedDisplayMode> primaryDisplayModes() {
    std::vector<OfferedDisplayMode> modes;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0)
            modes.push_back({mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format))});
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return modes;
}

SetupDialogResult showSetupDialog(ApplicationSettings& settings, const SetupDialogShownHook& onShown) {
    if (!displayNamed() || !startGtk())
        return SetupDialogResult::NoDisplay;
    std::vector<OfferedDisplayMode> modes = primaryDisplayModes();
    if (modes.empty())
        modes = monitorMode();
    return showSetupDialog(settings, modes, onShown);
}

SetupDialogResult showSetupDialog(ApplicationSettings& settings, const std::vector<OfferedDisplayMode>& modes,
                                  const SetupDialogShownHook& onShown) {
    if (!displayNamed() || !startGtk())
        return SetupDialogResult::NoDisplay;

    DialogState state{SetupDialogModel(settings, modes), {}, onShown};
    buildDialog(state);
    gtk_widget_show_all(state.widgets.dialog);
    const gint response = gtk_dialog_run(GTK_DIALOG(state.widgets.dialog));
    if (response == GTK_RESPONSE_OK)
        state.model.run(settings);
    // Closed before the hook ran: it must not run on destroyed widgets.
    if (state.hookSource)
        g_source_remove(state.hookSource);

    gtk_widget_destroy(state.widgets.dialog);
    // The window that opens next must not receive what is left of the dialog (its unmap, the
    // focus moving away): a round trip first, so that the server has handled the destruction and
    // everything it sent back is queued, then all of it dispatched.
    gdk_display_sync(gdk_display_get_default());
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
    return response == GTK_RESPONSE_OK ? SetupDialogResult::Run : SetupDialogResult::Cancel;
}
