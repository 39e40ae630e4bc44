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
    const auto read = [&](const char* name, const auto& take) {
        try {
            take(store.ReadText(name));
        } catch (const Error& error) {
            throw SettingError(error.what(), name);
        }
    };
    read(settings_key::InputDir, [&](std::string text) { settings.InputDir = std::move(text); });
    read(settings_key::DatabaseDir,
         [&](std::string text) { settings.DatabaseDir = std::move(text); });
    read(settings_key::PrintCols, [&](const std::string& text) { ReadPrintCols(text, settings); });
    read(settings_key::PrintColsEnabled,
         [&](const std::string& text) { ReadPrintColsEnabled(text, settings); });
}

void LoadSettings(SettingsStore& store, Settings& settings, const FirstRunActions& actions) {
    ReadSettings(store, settings);
    if (store.Exists() && store.ReadText(settings_key::FirstTime) == "True")
        ApplyFirstRunRule(store, settings, actions);
}

} // namespace quillory
