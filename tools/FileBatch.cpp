#include "FileBatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace tintwright {

namespace {

const QString kNew = QStringLiteral(".tintwright-new");

// Makes a folder and any missing above it, noting each one made, outermost first.
bool makeFolder(const QString &folder, QStringList &made) {
    if (QFileInfo(folder).isDir())
        return true;
    if (!makeFolder(QFileInfo(folder).path(), made) || !QDir().mkdir(folder))
        return false;
    made.append(folder);
    return true;
}

struct Replaced {
    QString path;
    bool existed;
    QByteArray old;
};

} // namespace

bool FileBatch::commit(QString *error) {
    QStringList made;        // folders made for the new files
    QStringList temporaries; // new files not yet in place
    QList<Replaced> replaced;
    QString reason;
    // Every new file beside its target first...
    for (const auto &[path, bytes] : std::as_const(m_files)) {
        const QString folder = QFileInfo(path).path();
        QFile file(path + kNew);
        if (!makeFolder(folder, made)) {
            reason = folder + QStringLiteral(": the folder cannot be created");
        } else if (QFileInfo(path).exists() && !QFileInfo(path).isFile()) {
            reason = path + QStringLiteral(": it is not a file");
        } else if (!file.open(QIODevice::WriteOnly)) {
            reason = path + QStringLiteral(": ") + file.errorString();
        } else if (temporaries.append(file.fileName()),
                   file.write(bytes) != bytes.size() || !file.flush()) {
            reason = path + QStringLiteral(": ") + file.errorString();
        }
        if (!reason.isEmpty())
            break;
    }
    // ...then each into place, its old bytes kept to put back should a later one fail.
    for (int i = 0; reason.isEmpty() && i < m_files.size(); ++i) {
        const QString &path = m_files[i].first;
        QFile old(path);
        Replaced entry{path, old.exists(), {}};
        if (entry.existed && old.open(QIODevice::ReadOnly))
            entry.old = old.readAll();
        if (std::rename(QFile::encodeName(path + kNew).constData(),
                        QFile::encodeName(path).constData()) != 0) {
            reason = path + QStringLiteral(": it cannot be replaced");
            break;
        }
        temporaries.removeOne(path + kNew);
        replaced.append(entry);
    }
    if (reason.isEmpty())
        return true;
    for (const Replaced &entry : std::as_const(replaced)) {
        QFile back(entry.path);
        if (!entry.existed)
            back.remove();
        else if (back.open(QIODevice::WriteOnly))
            back.write(entry.old);
    }
    for (const QString &file : std::as_const(temporaries))
        QFile::remove(file);
    for (auto it = made.crbegin(); it != made.crend(); ++it)
        QDir().rmdir(*it);
    if (error)
        *error = reason + QStringLiteral(". Nothing was changed.");
    return false;
}

} // namespace tintwright
