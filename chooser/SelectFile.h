#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace tintwright {

struct ProgramState;
class Prompter;

// Our own modal ROM chooser: folders on the left, ROM files on the right.
class SelectFile : public QDialog {
    Q_OBJECT

public:
    SelectFile(ProgramState &state, Prompter &prompter, QWidget *parent = nullptr);

    QString currentFolder() const { return m_folder; }
    // Makes `folder` current and lists it; false when it cannot be read.
    bool setFolder(const QString &folder);

    void cmdOpen_Click();
    void cmdDefault_Click();
    // The first entry of the folder list in an installed copy: the user's own folder.
    static QString yourFolderName();

    // Centred on the owner's frame, whatever the window manager's decorations.
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void centreOnOwner();
    void fillFolders();
    void fillFiles();
    void openFolderItem();
    // The file under the focus frame, selected.
    void selectCurrentFile();

    ProgramState &m_state;
    Prompter &m_prompter;
    QString m_folder;
    QStringList m_patterns;
    QListWidget *m_dir1;
    QListWidget *m_file1;
    QPushButton *m_cmdOpen;
    QPushButton *m_cmdCancel;
    QPushButton *m_cmdDefault;
};

} // namespace tintwright
