#include "platform/QtSettingsStore.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "platform/Text.h"

#include <QFile>
#include <QStandardPaths>

namespace quillory {

QtSettingsStore::QtSettingsStore() : QtSettingsStore(DefaultPath()) {}

QtSettingsStore::QtSettingsStore(const QString& path)
    : path_(path), settings_(path, QSettings::IniFormat) {}

QString QtSettingsStore::DefaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillory/Quillory.conf");
}

bool QtSettingsStore::Exists() const {
    return QFile::exists(path_);
}

std::string QtSettingsStore::ReadText(const std::string& name) const {
    const QVariant value = settings_.value(QString::fromStdString(name));
    if (!value.isValid())
        return {};
    // A plain INI value reads as a string; a list ("a, b"), a byte array or a
    // variant is stored as something else and is refused like a registry value
    // of the wrong type.
    if (value.typeId() != QMetaType::QString)
        throw Error(FormatMessage(msg::InvalidDataType, name));
    return ToBytes(value.toString());
}

void QtSettingsStore::WriteText(const std::string& name, const std::string& value) {
    settings_.setValue(QString::fromStdString(name), FromBytes(value));
}

std::string QtSettingsStore::Location() const {
    return ToBytes(path_);
}

void QtSettingsStore::Commit() {
    settings_.sync();
    if (settings_.status() != QSettings::NoError)
        throw Error(FormatMessage(msg::SettingsNotSaved, ToBytes(path_)));
}

} // namespace quillory
