#pragma once

#include "settings/Settings.h"
#include "settings/SettingsStore.h"

#include <array>
#include <string>

namespace quillory {

// What the setup dialog's controls hold: the two path fields, the six width
// fields and the six "printed" check boxes.
struct SetupForm {
    std::string InputDir;
    std::string DatabaseDir;
    std::array<std::string, PrintColumnCount> WidthTexts;
    std::array<bool, PrintColumnCount> Printed{};
};

// The controls as every showing fills them from `settings` (widths in decimal
// without leading spaces).
SetupForm SetupFormFromSettings(const Settings& settings);

// "Save Settings": refuses an empty path field (root first) and a width that is
// not a whole number from 0 to 999 by raising Error before anything is written;
// otherwise gives both paths their final "/" (in `form` too, so the dialog shows
// the completed texts), stores InputDir, DatabaseDir, PrintCols and
// PrintColsEnabled, and only once they are stored updates `settings`.
void SaveSetup(SetupForm& form, SettingsStore& store, Settings& settings);

// The path a directory picker's choice puts into a path field: the chosen
// directory with its final "/" ("/" itself stays "/").
std::string PathFieldFromPicked(const std::string& pickedDirectory);

} // namespace quillory
