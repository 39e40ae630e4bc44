#include "settings/LoadSettings.h"

#include "common/Path.h"
#include "settings/PrintColumns.h"
#include "store/DatabaseLayout.h"

#include <unistd.h>

namespace quillory {

namespace {

// An installation creates the default database with both markers; on the
// first run it keeps only the compressed one, so the default database starts
// compressed. A deletion that fails is of no consequence and is ignored.
void KeepOnlyCompressedMarker(const std::string& databaseDir) {
    const std::string database = FindEntryIgnoringCase(databaseDir, MainDatabaseName);
    if (database.empty() || FindEntryIgnoringCase(database, CompressedMarkerName).empty())
        return;
    const std::string plainMarker = FindEntryIgnoringCase(database, PlainMarkerName);
    if (!plainMarker.empty())
        ::unlink(plainMarker.c_str());
}

void ApplyFirstRunRule(SettingsStore& store, Settings& settings,
                       const FirstOpticalDriveQuery& firstOpticalDrive) {
    KeepOnlyCompressedMarker(settings.DatabaseDir);
    store.WriteText(settings_key::FirstTime, "False");
    store.Commit();
    const std::string drive = firstOpticalDrive();
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

void LoadSettings(SettingsStore& store, Settings& settings,
                  const FirstOpticalDriveQuery& firstOpticalDrive) {
    ReadSettings(store, settings);
    if (store.Exists() && store.ReadText(settings_key::FirstTime) == "True")
        ApplyFirstRunRule(store, settings, firstOpticalDrive);
}

} // namespace quillory
