#pragma once

#include <QString>

#include <filesystem>

namespace tintwright {

// Conversions between the document layer's paths and Qt's strings.
class Paths {
public:
    static QString toQString(const std::filesystem::path &path) {
        return QString::fromStdU16String(path.generic_u16string());
    }
    static std::filesystem::path fromQString(const QString &text) {
        return std::filesystem::path(text.toStdU16String());
    }
    // The program folder followed by a data path written with either separator.
    static QString inProgramFolder(const std::filesystem::path &programFolder,
                                   const QString &relative) {
        QString tail = relative;
        tail.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return toQString(programFolder) + tail;
    }
};

} // namespace tintwright
