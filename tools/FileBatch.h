#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace tintwright {

// Files that change together or not at all: each is first written beside its target under a
// temporary name, and the targets are replaced only once every one of them is written. When
// anything fails, the targets are as they were and folders made for them are gone again.
class FileBatch {
public:
    void add(const QString &path, const QByteArray &bytes) { m_files.append({path, bytes}); }
    // On failure `error` names the file and the reason, and says that nothing was changed.
    bool commit(QString *error);

private:
    QList<QPair<QString, QByteArray>> m_files;
};

} // namespace tintwright
