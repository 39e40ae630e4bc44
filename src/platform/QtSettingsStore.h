#pragma once

#include "settings/SettingsStore.h"

#include <QSettings>
#include <QString>

namespace quillory {

// The per-user settings file: INI text at $XDG_CONFIG_HOME/Quillory/Quillory.conf
// (normally ~/.config/Quillory/Quillory.conf), the values at its top level.
// "The settings exist" means the file exists.
class QtSettingsStore final : public SettingsStore {
public:
    // Uses the per-user settings file.
    QtSettingsStore();
    // Uses the file at `path` (tests).
    explicit QtSettingsStore(const QString& path);

    static QString DefaultPath();

    bool Exists() const override;
    std::string ReadText(const std::string& name) const override;
    void WriteText(const std::string& name, const std::string& value) override;
    void Commit() override;
    std::string Location() const override;

private:
    QString path_;
    // QSettings reads lazily and caches; reading through a const store still
    // goes through it.
    mutable QSettings settings_;
};

} // namespace quillory
