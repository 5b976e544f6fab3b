#pragma once

#include <QMainWindow>
#include <QPointer>

#include <filesystem>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace tintwright {

struct ProgramState;
class BattlePalettes;
class Prompter;

// The frame: menus, start-up, the question about unsaved changes before they could be lost,
// and the editors following the one ROM.
class Main : public QMainWindow {
    Q_OBJECT

public:
    Main(ProgramState &state, Prompter &prompter, QWidget *parent = nullptr);

    // Reads the default folder and the Data tables. Returns false, after
    // reporting which file and line is broken, when the program cannot start.
    bool Form_Load();
    // Gives every window, the child windows too, the program's icon from the program folder,
    // and names the desktop entry so that desktops match the windows to it.
    static void dressApplication(const std::filesystem::path &programFolder);
    // Shows the window maximized, its restored place centred on the screen.
    void showAtStart();

    QMdiArea *mdiArea() const { return m_mdiArea; }
    void enableEdit();

    // Writes the ROM back; true when written, or when nothing is open.
    bool mnuSave_Click();
    void mnuOpen_Click();
    // Opens `path` as Open Rom would, asking first about unsaved changes: a file named on the
    // command line or dropped on the window. False, having said why, when it was not opened.
    bool openFile(const QString &path);
    void mnuExit_Click();
    void mnuBattlePalettes_Click();
    void mnuDevs_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Asks about unsaved changes, if there are any: true to go on (saved, or set aside), false
    // to stay as things are (Cancel, or a save that failed).
    bool settleChanges();
    // Guarded: a message one editor shows lets the user close another.
    QList<QPointer<BattlePalettes>> editors() const;
    // Editors and menus follow the ROM just opened.
    void romOpened();
    void createMenus();
    void createShortcuts();
    // The editor of the active child window, if that is one.
    BattlePalettes *activeEditor() const;
    // An undo or a redo in the active editor; Undo and Redo then say whether there is more.
    void stepPicks(void (BattlePalettes::*step)());
    void updateUndo();
    // A child window moved and, if need be, shrunk to lie wholly inside the area.
    void fitInside(QMdiSubWindow *window) const;

    ProgramState &m_state;
    Prompter &m_prompter;
    QMdiArea *m_mdiArea = nullptr;
    QMenu *m_editMenu = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
};

} // namespace tintwright
