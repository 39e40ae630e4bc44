#pragma once

#include <string>

namespace quillory {

// Where the persisted settings live: a set of named text values. The desktop
// program and the command line use the per-user settings file; tests use a map.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Whether the settings exist at all. When they do not, nothing is read and
    // the first-run rule never runs.
    virtual bool Exists() const = 0;

    // The text of value `name`; a missing value reads as empty text. A value
    // stored as something other than a text raises Error("Invalid data type for 'NAME'").
    virtual std::string ReadText(const std::string& name) const = 0;

    // Records a value; nothing is guaranteed to be stored before Commit.
    virtual void WriteText(const std::string& name, const std::string& value) = 0;

    // Makes every recorded value lasting, creating the store when it is missing.
    // Raises Error when the values cannot be stored.
    virtual void Commit() = 0;

    // Where the values live, to name in a message (the settings file's path).
    virtual std::string Location() const = 0;
};

// The names of the stored values.
namespace settings_key {
inline constexpr char InputDir[] = "InputDir";
inline constexpr char DatabaseDir[] = "DatabaseDir";
inline constexpr char PrintCols[] = "PrintCols";
inline constexpr char PrintColsEnabled[] = "PrintColsEnabled";
inline constexpr char FirstTime[] = "FirstTime";
} // namespace settings_key

} // namespace quillory
