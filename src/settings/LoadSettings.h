#pragma once

#include "common/Error.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

#include <functional>
#include <string>

namespace quillory {

// What the first-run rule does beyond the settings, given by the caller: the
// default database keeps only its compressed marker (told the database root),
// and the first optical drive is found (its location ending in "/", or an
// empty text when there is none). Either may be left out.
struct FirstRunActions {
    std::function<void(const std::string& databaseDir)> KeepDefaultDatabaseCompressed;
    std::function<std::string()> FirstOpticalDrive;
};

// A stored value that does not follow its format: the conversion's or the
// store's own text, and the name of the value, for the command line to name.
class SettingError : public Error {
public:
    SettingError(const std::string& message, std::string name)
        : Error(message), name_(std::move(name)) {}
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

// Reads the persisted settings into `settings`, in the order InputDir,
// DatabaseDir, PrintCols, PrintColsEnabled. Nothing is read when the store does
// not exist. A value that does not follow its format raises SettingError at
// that value, leaving the fields read before it loaded.
void ReadSettings(const SettingsStore& store, Settings& settings);

// ReadSettings, then the first-run rule when FirstTime is exactly "True":
// the default database keeps only its compressed marker, FirstTime becomes
// "False" (before any drive is looked for, so the rule runs once), and the first
// optical drive, if any, becomes the input location. A failed read skips the
// rule and raises its Error.
void LoadSettings(SettingsStore& store, Settings& settings, const FirstRunActions& actions);

} // namespace quillory
