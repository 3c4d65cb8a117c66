#pragma once

#include "app/ApplicationSettings.h"
#include "app/SetupDialogModel.h"

#include <functional>
#include <vector>

typedef struct _GtkWidget GtkWidget;

enum class SetupDialogResult { Run, Cancel, NoDisplay };

// The dialog's widgets while it is shown. `picture` is null when the picture could not be loaded.
struct SetupDialogWidgets {
    GtkWidget* dialog = nullptr;
    GtkWidget* picture = nullptr;
    GtkWidget* resolution = nullptr; // GtkComboBoxText
    GtkWidget* fullscreen = nullptr; // GtkCheckButton
    GtkWidget* alwaysOnTop = nullptr;
    GtkWidget* vsync = nullptr;
    GtkWidget* multisampling = nullptr; // GtkScale, 0 to 4
    GtkWidget* anisotropy = nullptr;
    GtkWidget* multisamplingLabel = nullptr; // GtkLabel
    GtkWidget* anisotropyLabel = nullptr;
    GtkWidget* run = nullptr; // GtkButton
    GtkWidget* cancel = nullptr;
};

// Called once, from the dialog's main loop, after the dialog has been mapped; lets a test change
// the widgets and press a button.
using SetupDialogShownHook = std::function<void(const SetupDialogWidgets&)>;

// The display modes of the primary screen, in the order the screen reports them (SDL's video
// subsystem is started for the query and stopped again). Empty when the screen cannot be asked.
std::vector<OfferedDisplayMode> primaryDisplayModes();

// Runs the modal settings dialog on `settings`, offering the primary screen's modes. "Run" writes
// the choices into `settings` and answers Run; "Cancel" or closing the dialog answers Cancel and
// leaves `settings` alone. Without a display to show it on, answers NoDisplay.
SetupDialogResult showSetupDialog(ApplicationSettings& settings, const SetupDialogShownHook& onShown = {});
// The same with the modes given instead of asked for.
SetupDialogResult showSetupDialog(ApplicationSettings& settings, const std::vector<OfferedDisplayMode>& modes,
                                  const SetupDialogShownHook& onShown = {});
