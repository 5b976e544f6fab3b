#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

namespace tintwright {

// Conversions between the document layer's paths and Qt's strings. They never fail: bytes that
// do not decode (a name saved by another system) become replacement characters, and such a
// path then names nothing, as a missing file does.
class Paths {
public:
    static QString toQString(const std::filesystem::path &path) {
#ifdef _WIN32
        return QString::fromStdWString(path.generic_wstring());
#else
        return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
    }
    static std::filesystem::path fromQString(const QString &text) {
#ifdef _WIN32
        return std::filesystem::path(text.toStdWString());
#else
        return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
    }
};

} // namespace tintwright
