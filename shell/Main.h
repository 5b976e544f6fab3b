#pragma once

#include <QMainWindow>

#include <filesystem>

class QAction;
class QMdiArea;
class QMenu;

namespace tintwright {

struct ProgramState;
class Prompter;

// The frame: menus, start-up, and the question about unsaved changes on close.
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
    void mnuExit_Click();
    void mnuBattlePalettes_Click();
    void mnuDevs_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();
    void createShortcuts();

    ProgramState &m_state;
    Prompter &m_prompter;
    QMdiArea *m_mdiArea = nullptr;
    QMenu *m_editMenu = nullptr;
    bool m_ending = false;
};

} // namespace tintwright
