#pragma once

#include <QString>
#include <string>

namespace quillory {

// The core keeps texts as the bytes the file system and the catalogs hold (the
// user's locale, in practice UTF-8); Qt shows QString. These two are the only
// crossing between them.
inline QString FromBytes(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string ToBytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

} // namespace quillory
