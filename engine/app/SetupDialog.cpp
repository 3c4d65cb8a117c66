#include "app/SetupDialog.h"

SetupDialogResult showSetupDialog(ApplicationSettings&) {
    return SetupDialogResult::Run;
}
