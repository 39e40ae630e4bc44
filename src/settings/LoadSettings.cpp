#include "settings/LoadSettings.h"

#include "settings/PrintColumns.h"

namespace quillory {

namespace {

void ApplyFirstRunRule(SettingsStore& store, Settings& settings, const FirstRunActions& actions) {
    if (actions.KeepDefaultDatabaseCompressed)
        actions.KeepDefaultDatabaseCompressed(settings.DatabaseDir);
    store.WriteText(settings_key::FirstTime, "False");
    store.Commit();
    const std::string drive = actions.FirstOpticalDrive ? actions.FirstOpticalDrive() : "";
    if (!drive.empty()) {
        store.WriteText(settings_key::InputDir, drive);
        store.Commit();
        settings.InputDir = drive;
    }
}

} // namespace

void ReadSettings(const SettingsStore& store, Settings& settings) {
    if (!store.Exists())
        return;
    settings.InputDir = store.ReadText(settings_key::InputDir);
    settings.DatabaseDir = store.ReadText(settings_key::DatabaseDir);
    ReadPrintCols(store.ReadText(settings_key::PrintCols), settings);
    ReadPrintColsEnabled(store.ReadText(settings_key::PrintColsEnabled), settings);
}

void LoadSettings(SettingsStore& store, Settings& settings, const FirstRunActions& actions) {
    ReadSettings(store, settings);
    if (store.Exists() && store.ReadText(settings_key::FirstTime) == "True")
        ApplyFirstRunRule(store, settings, actions);
}

} // namespace quillory
