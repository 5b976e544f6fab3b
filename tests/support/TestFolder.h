#pragma once

#include "document/ProgramState.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

// A throwaway program folder: Data tables written by the test, and optionally
// a copy of the generated pictures and previews.
class TestFolder {
public:
    TestFolder() { QDir(m_dir.path()).mkpath(QStringLiteral("Data/Palette")); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

    void write(const QString &relative, const QByteArray &bytes) const {
        QDir(m_dir.path()).mkpath(QFileInfo(filePath(relative)).path());
        QFile file(filePath(relative));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray read(const QString &relative) const {
        QFile file(filePath(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeTables(const QByteArray &back = "16,\"First\"\r\n",
                     const QByteArray &front = "20,\"Second\"\r\n",
                     const QByteArray &filter = "0\r\n") const {
        write(QStringLiteral("Data/BackLocations.txt"), back);
        write(QStringLiteral("Data/FrontLocations.txt"), front);
        write(QStringLiteral("Data/FileTypeFilter.txt"), filter);
    }

    // Copies the built pictures and previews, not the tables or the demo ROM.
    void copyPictures() const {
        const QString app = QStringLiteral(TINTWRIGHT_APP_DIR);
        for (const char *folder :
             {"Data/Palette", "Back_Silver", "Back_Ruby", "Front_Silver", "Front_Ruby"}) {
            const QString from = app + QLatin1Char('/') + QLatin1String(folder);
            const QString to = filePath(QLatin1String(folder));
            QDir().mkpath(to);
            for (const QString &name : QDir(from).entryList(QDir::Files))
                QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name);
        }
    }

    tintwright::ProgramState state() const {
        tintwright::ProgramState state;
        state.programFolder = std::filesystem::path(path().toStdU16String());
        state.defaultFolder = state.programFolder;
        return state;
    }

private:
    QTemporaryDir m_dir;
};
