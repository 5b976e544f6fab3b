#include "Main.h"

#include "chooser/SelectFile.h"
#include "document/DefaultPath.h"
#include "document/ProgramFolder.h"
#include "document/ProgramState.h"
#include "document/Rom.h"
#include "document/UserFiles.h"
#include "editor/BattlePalettes.h"
#include "reader/Reader.h"
#include "widgets/Paths.h"
#include "widgets/Prompter.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QUrl>

#include <iostream>

namespace tintwright {

Main::Main(ProgramState &state, Prompter &prompter, QWidget *parent)
    : QMainWindow(parent), m_state(state), m_prompter(prompter), m_mdiArea(new QMdiArea(this)) {
    setWindowTitle(tr("Tintwright"));
    m_mdiArea->setBackground(palette().brush(QPalette::Dark));
    // An editor cannot be maximised, so it must not inherit that state from the window
    // that was active before it.
    m_mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    setCentralWidget(m_mdiArea);
    // A ROM dropped on the window opens as Open Rom would open it.
    setAcceptDrops(true);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        // With no child window left, the frame keeps the focus, so Alt reaches the menus.
        if (!window && isActiveWindow())
            m_mdiArea->setFocus(Qt::OtherFocusReason);
        updateUndo();
        if (!window)
            return;
        // Each window's own control gets the focus back, whichever way the window was reached
        // (by Ctrl+Tab, too, which would otherwise start again at its first control).
        if (auto *reader = qobject_cast<Reader *>(window->widget()))
            reader->Form_Activate();
        else if (auto *editor = qobject_cast<BattlePalettes *>(window->widget()))
            editor->restoreFocus();
    });
    createMenus();
    createShortcuts();
    resize(Twips::size(8385, 6450));
}

// Keys users expect beyond the menus' own.
void Main::createShortcuts() {
    // A child window's system menu closes it with the platform's Close keys; Ctrl+F4 is one of
    // them only on some platforms, and a second shortcut for it would make both do nothing.
    const QKeySequence closeChild(Qt::CTRL | Qt::Key_F4);
    if (!QKeySequence::keyBindings(QKeySequence::Close).contains(closeChild))
        new QShortcut(closeChild, this, m_mdiArea, &QMdiArea::closeActiveSubWindow);
}

void Main::createMenus() {
    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    QAction *open = fileMenu->addAction(tr("&Open Rom"));
    connect(open, &QAction::triggered, this, &Main::mnuOpen_Click);
    QAction *save = fileMenu->addAction(tr("&Save Rom"));
    save->setShortcuts(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &Main::mnuSave_Click);
    fileMenu->addSeparator();
    QAction *exit = fileMenu->addAction(tr("E&xit"));
    connect(exit, &QAction::triggered, this, &Main::mnuExit_Click);

    m_editMenu = menuBar()->addMenu(tr("&Edit"));
    QAction *palettes = m_editMenu->addAction(tr("&Battle Palettes"));
    connect(palettes, &QAction::triggered, this, &Main::mnuBattlePalettes_Click);
    // Undo and redo of the active editor's picks: the menu shows the keys it answers to.
    m_editMenu->addSeparator();
    m_undo = m_editMenu->addAction(tr("&Undo"));
    m_undo->setShortcuts(QKeySequence::Undo);
    connect(m_undo, &QAction::triggered, this, [this] { stepPicks(&BattlePalettes::undoPick); });
    m_redo = m_editMenu->addAction(tr("&Redo"));
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
        if (!redoKeys.contains(keys))
            redoKeys.append(keys);
    m_redo->setShortcuts(redoKeys);
    connect(m_redo, &QAction::triggered, this, [this] { stepPicks(&BattlePalettes::redoPick); });
    updateUndo();
    // No editor before a ROM is open.
    m_editMenu->menuAction()->setEnabled(false);

    QMenu *helpMenu = menuBar()->addMenu(tr("&Help"));
    QAction *manual = helpMenu->addAction(tr("&Manual"));
    connect(manual, &QAction::triggered, this, &Main::mnuDevs_Click);
}

bool Main::Form_Load() {
    // An installed copy's user gets a demo of their own to edit; without it, the chooser
    // simply opens elsewhere.
    (void)UserFiles::makeDemoCopy(m_state);
    DefaultPath::Load_Path(m_state);
    try {
        Rom::Load_Tables(m_state);
    } catch (const Problem &error) {
        const QString report = QString::fromStdString(error.what());
        std::cerr << "Tintwright cannot start: " << error.what() << std::endl;
        m_prompter.inform(nullptr, tr("Tintwright cannot start because a Data file is broken:\n\n"
                                      "%1\n\nMend the file and start Tintwright again.")
                                       .arg(report));
        return false;
    }
    return true;
}

void Main::dressApplication(const std::filesystem::path &programFolder) {
    const QDir folder(Paths::toQString(ProgramFolder::path(programFolder, ProgramFolder::kIcons)));
    QIcon icon;
    for (const QString &file : folder.entryList({QStringLiteral("*.png")}, QDir::Files))
        icon.addFile(folder.filePath(file));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tintwright.Tintwright"));
}

void Main::showAtStart() {
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect restored(QPoint(), size());
        restored.moveCenter(screen->availableGeometry().center());
        setGeometry(restored);
    }
    showMaximized();
}

void Main::enableEdit() {
    m_editMenu->menuAction()->setEnabled(true);
}

bool Main::mnuSave_Click() {
    // With nothing open, there is nothing to save and nothing to say.
    if (!m_state.rom.hasImage())
        return true;
    if (const Outcome saved = m_state.rom.write(); !saved) {
        // A file the user may not write: say where a copy can be saved.
        const auto demo = UserFiles::demoCopy(m_state);
        const QString where =
            demo.empty()
                ? tr("a folder of yours")
                : tr("your own folder\n%1\n(where your copy of the demo is; Open Rom "
                     "lists it first, as \"%2\")")
                      .arg(Paths::toQString(demo.parent_path()), SelectFile::yourFolderName());
        const QString advice =
            saved.problem().kind() == Problem::Kind::Denied
                ? tr("You may not write this file. Your changes are still here until you open "
                     "another ROM or close Tintwright. Copy the ROM into %1, open that copy, and "
                     "make your changes there.")
                      .arg(where)
                : tr("Your changes are still here. Mend the cause and save again.");
        m_prompter.inform(this, tr("The ROM could not be saved to\n%1\n\nReason: %2\n\n%3")
                                    .arg(Paths::toQString(m_state.rom.path()),
                                         QString::fromStdString(saved.problem().reason()), advice));
        return false;
    }
    m_prompter.inform(this, tr("Saved~!"));
    m_state.rom.setModified(false);
    return true;
}

bool Main::settleChanges() {
    if (!m_state.rom.isModified())
        return true;
    switch (
        m_prompter.ask(this, tr("Would you like to save any changes you have made to the file?"))) {
    case Prompter::Answer::Yes:
        // A failed save has said why; the changes stay, and so does everything else.
        return mnuSave_Click();
    case Prompter::Answer::No:
        return true;
    case Prompter::Answer::Cancel:
        break;
    }
    return false;
}

QList<QPointer<BattlePalettes>> Main::editors() const {
    QList<QPointer<BattlePalettes>> found;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList())
        if (auto *editor = qobject_cast<BattlePalettes *>(window->widget()))
            found << editor;
    return found;
}

void Main::mnuOpen_Click() {
    if (!settleChanges())
        return;
    SelectFile chooser(m_state, m_prompter, this);
    if (chooser.exec() == QDialog::Accepted)
        romOpened();
}

bool Main::openFile(const QString &path) {
    if (!settleChanges())
        return false;
    if (!m_state.rom.open(Paths::fromQString(QDir::toNativeSeparators(path)))) {
        m_prompter.inform(this, tr("%1\n\nThe file you selected is incompatible with this "
                                   "program.")
                                    .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    romOpened();
    return true;
}

namespace {

// One file, and a local one, is what Open Rom would open.
QString droppedFile(const QMimeData *data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
}

} // namespace

void Main::dragEnterEvent(QDragEnterEvent *event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Main::dropEvent(QDropEvent *event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openFile(path);
}

void Main::romOpened() {
    enableEdit();
    updateUndo(); // a new ROM has nothing to undo
    // Another ROM: every editor shows its bytes, each saying once when a sprite does not fit.
    for (const QPointer<BattlePalettes> &editor : editors())
        if (editor)
            editor->reloadSprites();
}

void Main::mnuExit_Click() {
    if (close())
        QCoreApplication::exit(0);
}

void Main::mnuBattlePalettes_Click() {
    auto *editor = new BattlePalettes(m_state, m_prompter, m_mdiArea);
    // A byte changed in one editor shows at once in every editor that shows it.
    connect(editor, &BattlePalettes::romChanged, this, [this, editor](qint64 index) {
        for (const QPointer<BattlePalettes> &each : editors())
            if (each && each != editor)
                each->showByte(index);
        updateUndo();
    });
    QMdiSubWindow *window = m_mdiArea->addSubWindow(editor, BattlePalettes::windowFlagsForMdi());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    editor->focusFirstControl();
}

void Main::mnuDevs_Click() {
    auto *reader = new Reader(m_state.programFolder, m_mdiArea);
    reader->setWindowTitle(tr("Manual"));
    reader->setAccessibleName(reader->windowTitle()); // what holds the text, for a reader
    QMdiSubWindow *window = m_mdiArea->addSubWindow(reader);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(Twips::size(Reader::kDesignWidth, Reader::kDesignHeight) +
                   (window->size() - window->contentsRect().size()));
    window->show();
    fitInside(window);
    reader->Form_Activate();
}

void Main::fitInside(QMdiSubWindow *window) const {
    // Wholly inside the area, whatever the scale: no larger than it, and moved in from its
    // right and bottom edges.
    const QSize room = m_mdiArea->viewport()->size();
    window->resize(window->size().boundedTo(room));
    window->move(qBound(0, window->x(), room.width() - window->width()),
                 qBound(0, window->y(), room.height() - window->height()));
}

BattlePalettes *Main::activeEditor() const {
    const QMdiSubWindow *window = m_mdiArea->activeSubWindow();
    return window ? qobject_cast<BattlePalettes *>(window->widget()) : nullptr;
}

void Main::stepPicks(void (BattlePalettes::*step)()) {
    if (BattlePalettes *editor = activeEditor())
        (editor->*step)();
    updateUndo();
}

void Main::updateUndo() {
    const bool editing = activeEditor() != nullptr;
    m_undo->setEnabled(editing && m_state.rom.history().canUndo());
    m_redo->setEnabled(editing && m_state.rom.history().canRedo());
}

void Main::closeEvent(QCloseEvent *event) {
    if (settleChanges())
        event->accept();
    else
        event->ignore();
}

} // namespace tintwright
