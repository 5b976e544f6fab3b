#pragma once

#include "document/ProgramState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A throwaway program folder: Data tables written by the test, and optionally a copy of the
// generated pictures and previews.
class TestFolder {
public:
    TestFolder() { QDir(path()).mkpath(QStringLiteral("Data/Palette")); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }
    std::filesystem::path fsPath(const QString &relative = {}) const {
        return std::filesystem::path(
            (relative.isEmpty() ? path() : filePath(relative)).toStdU16String());
    }
    void write(const QString &relative, const QByteArray &bytes) const {
        QDir(path()).mkpath(QFileInfo(filePath(relative)).path());
        QFile file(filePath(relative));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray read(const QString &relative) const {
        QFile file(filePath(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeTables(const QByteArray &back = "16,\"First\"\r\n",
                     const QByteArray &front = "20,\"Second\"\r\n") const {
        write(QStringLiteral("Data/BackLocations.txt"), back);
        write(QStringLiteral("Data/FrontLocations.txt"), front);
        write(QStringLiteral("Data/FileTypeFilter.txt"), "0\r\n");
    }
    // Copies the built pictures, previews and icons, not the tables or the demo ROM.
    void copyPictures() const {
        for (const QString folder : {"Data/Palette", "Data/Icon", "Back_Silver", "Back_Ruby",
                                     "Front_Silver", "Front_Ruby"}) {
            QDir().mkpath(filePath(folder));
            const QString from = QStringLiteral(TINTWRIGHT_APP_DIR "/") + folder;
            for (const QString &name : QDir(from).entryList(QDir::Files))
                QFile::copy(from + '/' + name, filePath(folder + '/' + name));
        }
    }
    tintwright::ProgramState state() const {
        tintwright::ProgramState state;
        state.programFolder = state.defaultFolder = fsPath();
        return state;
    }

private:
    QTemporaryDir m_dir;
};
