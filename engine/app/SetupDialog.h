#pragma once

#include "app/ApplicationSettings.h"

enum class SetupDialogResult { Run, Cancel, NoDisplay };

// Placeholder until the GTK dialog lands: answers Run and leaves the settings as they are.
SetupDialogResult showSetupDialog(ApplicationSettings& settings);
