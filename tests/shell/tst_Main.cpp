#include "Cases.h"
#include "GuiTest.h"
#include "document/UserFiles.h"
#include "editor/BattlePalettes.h"
#include "shell/Main.h"
#include "widgets/MessageBoxPrompter.h"
#include "widgets/PictureBox.h"
#include "widgets/Twips.h"

#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>

#include <unistd.h>

using namespace tintwright;

namespace {

// The ROM "abc" in roms/, where the chooser opens.
struct MainFixture : Fixture {
    MainFixture() {
        folder.write("roms/game.nes", "abc");
        folder.write("Data/Defaultpath.txt", folder.filePath("roms").toUtf8());
    }
    Main *start() {
        Main *window = add(new Main(state, prompter));
        if (window->Form_Load())
            window->show();
        return window;
    }
    // Started with a ROM of 64 bytes of $21 open and the pictures in place.
    Main *startEditing() {
        folder.copyPictures();
        folder.write("roms/game.nes", QByteArray(64, '\x21'));
        if (!state.rom.open(folder.fsPath("roms/game.nes")))
            return nullptr;
        Main *window = start();
        window->enableEdit();
        return window;
    }
};

QAction *menuItem(Main *window, const QString &menu, const QString &item = {}) {
    for (QAction *top : window->menuBar()->actions())
        for (QAction *action : top->menu()->actions())
            if (top->text() == menu && (item.isEmpty() || action->text() == item))
                return item.isEmpty() ? top : action;
    return nullptr;
}

// File, Open Rom, and in the chooser the file in `row` opened (-1: Cancel), after Set As Default
// Path if asked; whether the chooser showed and closed by that.
bool openRom(Main *window, int row, bool setDefault = false) {
    const auto answered = answerModal([row, setDefault](QDialog *chooser) {
        if (setDefault)
            chooser->findChild<QPushButton *>("cmdDefault")->click();
        chooser->findChild<QListWidget *>("File1")->setCurrentRow(row);
        chooser->findChild<QPushButton *>(row < 0 ? "cmdCancel" : "cmdOpen")->click();
    });
    menuItem(window, "&File", "&Open Rom")->trigger();
    return *answered;
}

} // namespace

class tst_Main : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { verifyNoWindowLeft(); }
    void startUpAndOpen();
    void closing_data() { addCases("windows", "closing"); }
    void closing();
    void childWindows();
    void keysAndFocus();
    void editorsFollowTheRom();
    void userFiles();
    void questionBox();
};

void tst_Main::startUpAndOpen() {
    MainFixture fixture;
    // A broken table stops start-up with a report naming file, line and fault; the default
    // folder is read before the tables.
    fixture.folder.writeTables("16,First\r\n", "20,\"Second\"\r\n30,Third\r\n\r\n");
    QVERIFY(!Main(fixture.state, fixture.prompter).Form_Load());
    QCOMPARE(fixture.state.defaultFolder, fixture.folder.fsPath("roms"));
    QVERIFY(fixture.prompter.texts.value(0).contains(
        "Data/FrontLocations.txt, line 3: the palette address is missing"));
    fixture.prompter.texts.clear();
    fixture.folder.writeTables();
    Main *window = fixture.start();
    QCOMPARE(window->windowTitle(), "Tintwright");
    QCOMPARE(window->size(), QSize(559, 430)); // 8385 x 6450 twips
    // The menus as designed, with an access key each, Ctrl+S shown, and Undo and Redo with
    // their keys; no editor before a ROM is open.
    QStringList menus;
    for (QAction *top : window->menuBar()->actions()) {
        menus << top->text() + (top->isEnabled() ? ":" : " (off):");
        for (QAction *action : top->menu()->actions())
            menus.last() += ' ' + (action->isSeparator() ? "-" : action->text()) +
                            action->shortcut().toString();
    }
    QCOMPARE(menus, (QStringList{"&File: &Open Rom &Save RomCtrl+S - E&xit",
                                 "&Edit (off): &Battle Palettes - &UndoCtrl+Z &RedoCtrl+Y",
                                 "&Help: &Manual"}));
    QVERIFY(window->mnuSave_Click()); // nothing open: nothing done, nothing said
    // Cancel in the chooser changes nothing; Open enables the editor for good.
    QVERIFY(openRom(window, -1) && !menuItem(window, "&Edit")->isEnabled() &&
            !fixture.state.rom.hasImage());
    QVERIFY(openRom(window, 0) && menuItem(window, "&Edit")->isEnabled());
    QCOMPARE(fixture.state.rom.length(), 3);
    QCOMPARE(fixture.prompter.texts, QStringList());
    // One local file dropped (or named at start) opens as Open Rom would; one that cannot be
    // opened is named and changes nothing; two files or a web address are not taken.
    fixture.folder.write("roms/other.nes", "abcde");
    const auto drop = [&](const QList<QUrl> &urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(9, 9), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window, &enter);
        QDropEvent dropped(QPointF(9, 9), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window, &dropped);
        return enter.isAccepted();
    };
    const QUrl other = QUrl::fromLocalFile(fixture.folder.filePath("roms/other.nes"));
    QVERIFY(!drop({other, other}) && !drop({QUrl("https://example.org/a.nes")}));
    QVERIFY(!window->openFile(fixture.folder.filePath("roms/none.nes")));
    QVERIFY(fixture.prompter.texts.value(0).contains("roms/none.nes\n\nThe file you selected"));
    QCOMPARE(fixture.state.rom.length(), 3);
    QVERIFY(drop({other}));
    QCOMPARE(fixture.state.rom.length(), 5);
}

void tst_Main::closing() {
    QFETCH(QJsonObject, row);
    const QString how = row["how"].toString();
    MainFixture fixture;
    fixture.folder.write("roms/other.nes", "xyz");
    QVERIFY(fixture.state.rom.open(fixture.folder.fsPath("roms/game.nes")));
    fixture.state.rom.writeByte(0, 'Z');
    fixture.state.rom.setModified(row["changed"].toBool());
    const QByteArray onDisk = row["file"].toString().toLatin1();
    if (onDisk.isEmpty()) // the save fails
        QVERIFY(QDir(fixture.folder.filePath("roms")).removeRecursively());
    const QStringList answers{"yes", "no", "cancel"};
    fixture.prompter.answers << Prompter::Answer(answers.indexOf(row["answer"].toString()));
    QPointer<Main> window = fixture.start();
    QAction *item = menuItem(window, "&File", how);
    QString chooser; // what was done in the chooser, if it showed
    const auto answered = answerModal([&](QDialog *dialog) {
        chooser = row["chooser"].toString("shown");
        if (chooser == "open")
            dialog->findChild<QListWidget *>("File1")->setCurrentRow(1);
        dialog->findChild<QPushButton *>(chooser == "open" ? "cmdOpen" : "cmdCancel")->click();
    });
    if (how == "close") {
        window->close();
    } else if (how == "E&xit") { // ends the program's event loop, with success
        QTimer::singleShot(0, item, [item, window] {
            item->trigger();
            if (window && window->isVisible()) // the program goes on
                QCoreApplication::exit(1);
        });
        QCOMPARE(QApplication::exec(), row["stays"].toBool() ? 1 : 0);
    } else {
        item->trigger();
    }
    QCOMPARE(chooser, row["chooser"].toString());
    QCOMPARE(fixture.prompter.texts.size(), row["messages"].toArray().size());
    for (int i = 0; i < fixture.prompter.texts.size(); ++i)
        QVERIFY(fixture.prompter.texts[i].startsWith(row["messages"][i].toString()));
    QCOMPARE(fixture.folder.read("roms/game.nes"), onDisk);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(fixture.state.rom.data()),
                        fixture.state.rom.length()),
             row["image"].toString().toLatin1());
    QCOMPARE(fixture.state.rom.isModified(), row["modified"].toBool());
    // A failed save names the file, and keeps the window and the edits.
    QVERIFY(!onDisk.isEmpty() ||
            fixture.prompter.texts.last().contains(fixture.folder.filePath("roms/game.nes")));
    QTRY_COMPARE(window && window->isVisible(), row["stays"].toBool());
    fixture.state.rom.setModified(false);
    if (window)
        window->close();
    QTRY_VERIFY(window.isNull());
    QVERIFY(*answered || chooser.isEmpty());
}

void tst_Main::childWindows() {
    MainFixture fixture;
    Main *window = fixture.startEditing();
    QVERIFY(window);
    window->resize(1000, 800);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    Main::dressApplication(fixture.state.programFolder);
    // Each choice opens another window; an editor, having no maximise button, opens at its own
    // size even beside a maximised window.
    menuItem(window, "&Help", "&Manual")->trigger();
    menuItem(window, "&Help", "&Manual")->trigger();
    window->mdiArea()->subWindowList().last()->showMaximized();
    for (int i = 0; i < 2; ++i) { // each opens with its first control, the link box, focused
        menuItem(window, "&Edit", "&Battle Palettes")->trigger();
        QVERIFY(window->mdiArea()
                    ->activeSubWindow()
                    ->findChild<QWidget *>("BackTile3")
                    ->isVisible()); // one row
        QTRY_VERIFY(QApplication::focusWidget() &&
                    QApplication::focusWidget()->objectName() == "chkLink");
        QVERIFY(window->mdiArea()->activeSubWindow()->isAncestorOf(QApplication::focusWidget()));
    }
    const auto windows = window->mdiArea()->subWindowList();
    QStringList titles;
    for (QMdiSubWindow *sub : windows)
        titles << sub->windowTitle() + (sub->isMaximized() ? "+" : "") +
                      (sub->windowFlags() & Qt::WindowMaximizeButtonHint ? "^" : "");
    QCOMPARE(titles, (QStringList{"Manual^", "Manual+^", "Battle Palettes", "Battle Palettes"}));
    for (QMdiSubWindow *sub : windows) // what holds each window's controls, named for a reader
        QCOMPARE(sub->widget()->accessibleName(), sub->windowTitle());
    QCOMPARE(windows[0]->contentsRect().size(), Twips::size(10005, 7230));
    for (const QWidget *shown :
         std::initializer_list<const QWidget *>{window, windows[1], windows[3]})
        QCOMPARE(shown->windowIcon().availableSizes().size(), 9); // 16 to 512 pixels
    // Its frame cannot be resized: not by any edge or corner, also once moved away from the
    // workspace's corner, nor from the system menu.
    QMdiSubWindow *editor = windows[3];
    const QRect before = editor->geometry();
    const auto drag = [editor](QPoint from, QPoint by) {
        QTest::mouseMove(editor, from);
        QTest::mousePress(editor, Qt::LeftButton, {}, from);
        QTest::mouseMove(editor, from + by);
        QTest::mouseRelease(editor, Qt::LeftButton, {}, from + by);
    };
    drag({before.width() / 2, 10}, {60, 50});
    QCOMPARE(editor->geometry(), before.translated(60, 50));
    const int w = before.width() - 2, h = before.height() - 2;
    for (const QPoint edge : {QPoint(1, 1), QPoint(w / 2, 1), QPoint(w, 1), QPoint(w, h / 2),
                              QPoint(w, h), QPoint(w / 2, h), QPoint(1, h), QPoint(1, h / 2)})
        for (const QPoint by : {QPoint(40, 30), QPoint(-40, -30)}) {
            drag(edge, by);
            QCOMPARE(editor->size(), before.size());
            QCOMPARE(editor->widget()->pos(), QPoint(4, 24));
        }
    for (QAction *action : editor->systemMenu()->actions())
        QVERIFY(action->text() != QStringLiteral("&Size") || !action->isEnabled());
    windows[2]->close(); // closing one leaves the others
    QTRY_COMPARE(window->mdiArea()->subWindowList().size(), 3);
    QVERIFY(fixture.prompter.texts.isEmpty());
}

void tst_Main::keysAndFocus() {
    MainFixture fixture;
    Main *window = fixture.startEditing();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QMdiArea *area = window->mdiArea();
    const auto focusName = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    // Each window keeps the control that had the focus when the user comes back to it: from
    // another editor, or from the manual.
    menuItem(window, "&Edit", "&Battle Palettes")->trigger();
    QMdiSubWindow *first = area->activeSubWindow();
    first->findChild<QWidget *>("Palette2")->setFocus();
    menuItem(window, "&Edit", "&Battle Palettes")->trigger();
    QTRY_COMPARE(focusName(), "chkLink");
    area->activateNextSubWindow(); // Ctrl+Tab
    QTRY_COMPARE(focusName(), "Palette2");
    // A window once reached by Tab keys still comes back to its control, not its first one.
    QFocusEvent byTab(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(first, &byTab);
    area->activateNextSubWindow();
    area->activateNextSubWindow();
    QTRY_COMPARE(focusName(), "Palette2");
    menuItem(window, "&Help", "&Manual")->trigger();
    area->activeSubWindow()->close();
    area->setActiveSubWindow(first);
    QTRY_COMPARE(focusName(), "Palette2");
    QVERIFY(first->isAncestorOf(QApplication::focusWidget()));
    // Ctrl+S saves as File, Save Rom does; Ctrl+F4 closes the active editor. When the last one
    // goes, the frame keeps the focus.
    fixture.state.rom.writeByte(0, 0x0F);
    fixture.state.rom.setModified(true);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fixture.prompter.texts, QStringList{"Saved~!"});
    QCOMPARE(fixture.folder.read("roms/game.nes").at(0), '\x0F');
    for (int open = 2; open > 0; --open) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(area->subWindowList().size(), open - 1);
    }
    QTRY_VERIFY(QApplication::focusWidget() && window->isAncestorOf(QApplication::focusWidget()));
    window->close();
}

void tst_Main::editorsFollowTheRom() {
    MainFixture fixture;
    Main *window = fixture.startEditing();
    QVERIFY(window);
    menuItem(window, "&Edit", "&Battle Palettes")->trigger();
    menuItem(window, "&Edit", "&Battle Palettes")->trigger();
    const auto editor = [window](int i) {
        return qobject_cast<BattlePalettes *>(window->mdiArea()->subWindowList()[i]->widget());
    };
    const auto tile = [&](int i, int tile) {
        return editor(i)->findChild<PictureBox *>(QStringLiteral("BackTile%1").arg(tile));
    };
    const auto shows = [&](int i, int t, const char *picture) {
        return tile(i, t)->picture() ==
               QImage(fixture.folder.filePath(QStringLiteral("Data/Palette/") + picture));
    };
    // A pick in one editor shows in the other, and so does an undo made there.
    editor(0)->BackTile_Click(0);
    editor(0)->Palette2_MouseDown(Qt::LeftButton, {}, 370, 0); // $01
    editor(0)->Palette2_MouseUp(Qt::LeftButton, {}, 370, 0);
    QVERIFY(shows(1, 0, "1.bmp"));
    QCOMPARE(tile(1, 0)->accessibleDescription(), "$01 at 0x000010");
    // By the keys of Edit > Undo and Redo, which are on only while there is a step to take.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->mdiArea()->setActiveSubWindow(window->mdiArea()->subWindowList()[1]);
    QAction *undo = menuItem(window, "&Edit", "&Undo"), *redo = menuItem(window, "&Edit", "&Redo");
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(shows(0, 0, "33.bmp"));
    QCOMPARE(tile(0, 0)->accessibleDescription(), "$21 at 0x000010");
    QVERIFY(!undo->isEnabled() && redo->isEnabled());
    // Redo by Ctrl+Shift+Z, then (undone by the menu) by Ctrl+Y.
    for (const Qt::Key key : {Qt::Key_Z, Qt::Key_Y}) {
        QTest::keyClick(QApplication::focusWidget(), key,
                        Qt::ControlModifier |
                            (key == Qt::Key_Z ? Qt::ShiftModifier : Qt::NoModifier));
        QVERIFY(shows(0, 0, "1.bmp"));
        if (key == Qt::Key_Z)
            undo->trigger();
    }
    // Another ROM, ending inside the front palette (0x14 to 0x16): each editor shows what it
    // holds and says once what does not fit; the picks of the old one cannot be undone into it.
    fixture.folder.write("roms/short.nes", QByteArray(0x16, '\x16'));
    fixture.prompter.answers << Prompter::Answer::No;
    QVERIFY(openRom(window, 1));
    QCOMPARE(fixture.prompter.texts.size(), 3); // the question, then one message per editor
    QVERIFY(fixture.prompter.texts[1].startsWith("Tried to load a color outside"));
    for (int i = 0; i < 2; ++i) {
        QVERIFY(shows(i, 2, "22.bmp") && shows(i, 4, "22.bmp") && shows(i, 5, "-1"));
        QCOMPARE(tile(i, 5)->accessibleDescription(), "no colour: 0x000016 lies outside the ROM");
    }
    editor(0)->undoPick();
    QVERIFY(!fixture.state.rom.isModified());
}

void tst_Main::userFiles() {
    QTemporaryDir home;
    const auto config = std::filesystem::path(home.filePath("config").toStdString());
    const auto data = std::filesystem::path(home.filePath("data").toStdString());
    // A program folder the user can write keeps all it writes itself: nothing goes to the
    // user's folders, whatever happens.
    {
        MainFixture fixture;
        fixture.folder.write("Demo.nes", "demo");
        UserFiles::choose(fixture.state, config, data);
        QVERIFY(fixture.state.userConfigFolder.empty());
        Main *window = fixture.start();
        QVERIFY(openRom(window, 0, true) && window->mnuSave_Click());
        QCOMPARE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }
    // An installed copy: the user's own demo, made once and never replaced, where the chooser
    // opens; a save the system refuses says where a copy can be saved.
    MainFixture fixture;
    fixture.folder.write("Demo.nes", "demo");
    QVERIFY(QFile::remove(fixture.folder.filePath("Data/Defaultpath.txt")));
    fixture.state.userConfigFolder = config;
    fixture.state.userDataFolder = data;
    QVERIFY(Main(fixture.state, fixture.prompter).Form_Load());
    QCOMPARE(fixture.state.defaultFolder, data);
    QVERIFY(QFile(home.filePath("data/Demo.nes")).open(QIODevice::WriteOnly));
    QVERIFY(Main(fixture.state, fixture.prompter).Form_Load());
    QCOMPARE(QFile(home.filePath("data/Demo.nes")).size(), 0);
    QVERIFY(UserFiles::makeDemoCopy(fixture.state)); // one that is there is no failure
    QVERIFY(QFile::setPermissions(fixture.folder.filePath("roms/game.nes"), QFile::ReadOwner));
    QVERIFY(fixture.state.rom.open(fixture.folder.fsPath("roms/game.nes")));
    Main *window = fixture.start();
    const uid_t user = geteuid();
    QVERIFY(user != 0 || seteuid(65534) == 0); // root may write anything: be someone else
    const bool saved = window->mnuSave_Click();
    QVERIFY(seteuid(user) == 0 && !saved);
    const QString said = fixture.prompter.texts.last();
    QVERIFY(said.contains("Copy the ROM into your own folder\n" + home.filePath("data")) &&
            said.contains("lists it first, as \"Your Tintwright folder"));
}

void tst_Main::questionBox() {
    // The question's Escape and close button go back, as Cancel does; Enter saves.
    MessageBoxPrompter prompter;
    const std::function<void(QDialog *)> gestures[] = {
        [](QDialog *box) { QTest::keyClick(box, Qt::Key_Escape); },
        [](QDialog *box) { box->close(); },
        [](QDialog *box) { QTest::keyClick(box, Qt::Key_Return); },
        [](QDialog *box) { static_cast<QMessageBox *>(box)->button(QMessageBox::No)->click(); }};
    const Prompter::Answer expected[] = {Prompter::Answer::Cancel, Prompter::Answer::Cancel,
                                         Prompter::Answer::Yes, Prompter::Answer::No};
    for (int i = 0; i < 4; ++i) {
        const auto answered = answerModal(gestures[i]);
        QCOMPARE(prompter.ask(nullptr, "Save?"), expected[i]);
        QVERIFY(*answered);
    }
}

QTEST_MAIN(tst_Main)
#include "tst_Main.moc"
