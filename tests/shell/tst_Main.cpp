#include "GuiTest.h"
#include "RecordingPrompter.h"
#include "TestFolder.h"
#include "shell/Main.h"

#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>

using namespace tintwright;

namespace {

// A program folder with good tables and the ROM "abc" at roms/game.nes, the chooser's folder.
struct Fixture {
    Fixture() {
        folder.writeTables();
        folder.write("roms/game.nes", "abc");
        folder.write("Data/Defaultpath.txt", folder.filePath("roms").toUtf8());
        state = folder.state();
    }
    Main *start() {
        Main *window = windows.add(new Main(state, prompter));
        if (window->Form_Load())
            window->show();
        return window;
    }
    void edit() {
        QVERIFY(state.rom.open(folder.fsPath("roms/game.nes")));
        state.rom.writeByte(0, 'Z');
        state.rom.setModified(true);
    }
    TestFolder folder;
    ProgramState state;
    RecordingPrompter prompter;
    OpenWindows windows;
};

QAction *menuItem(Main *window, const QString &menu, const QString &item = {}) {
    for (QAction *top : window->menuBar()->actions())
        for (QAction *action : top->menu()->actions())
            if (top->text() == menu && (item.isEmpty() || action->text() == item))
                return item.isEmpty() ? top : action;
    return nullptr;
}

// A drag as a mouse makes it: the pointer arrives, presses, moves and lets go.
void drag(QWidget *widget, QPoint from, QPoint by) {
    QTest::mouseMove(widget, from);
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, from + by);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, from + by);
}

} // namespace

class tst_Main : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { verifyNoWindowLeft(); }
    void startUp_data();
    void startUp();
    void openThroughChooser();
    void closing_data();
    void closing();
    void childWindows();
};

void tst_Main::startUp_data() {
    QTest::addColumn<QByteArray>("front");
    QTest::addColumn<QString>("report"); // empty: starts
    QTest::newRow("good tables") << QByteArray("20,\"Second\"\r\n") << QString();
    QTest::newRow("blank line at the end")
        << QByteArray("20,\"Second\"\r\n30,Third\r\n\r\n")
        << "Data/FrontLocations.txt, line 3: the palette address is missing";
}

void tst_Main::startUp() {
    QFETCH(QByteArray, front);
    QFETCH(QString, report);
    Fixture fixture;
    fixture.folder.writeTables("16,First\r\n", front);
    Main window(fixture.state, fixture.prompter);
    QCOMPARE(window.Form_Load(), report.isEmpty());
    // The default folder is read first, whatever the tables hold.
    QCOMPARE(fixture.state.defaultFolder, fixture.folder.fsPath("roms"));
    QCOMPARE(fixture.prompter.texts.join("").contains(report), true);
    QCOMPARE(fixture.prompter.texts.size(), int(!report.isEmpty()));
    QCOMPARE(fixture.state.frontLocations.rows(), int(report.isEmpty()));
    QCOMPARE(window.windowTitle(), QStringLiteral("Tintwright"));
    QCOMPARE(window.size(), QSize(559, 430)); // 8385 x 6450 twips
    // The menus as designed, none with a shortcut; no editor before a ROM is open.
    QStringList menus;
    for (QAction *top : window.menuBar()->actions()) {
        menus << top->text() + (top->isEnabled() ? ":" : " (off):");
        for (QAction *action : top->menu()->actions()) {
            menus.last() += ' ' + (action->isSeparator() ? QStringLiteral("-") : action->text());
            QVERIFY(action->shortcut().isEmpty() && action->isEnabled());
        }
    }
    QCOMPARE(menus, (QStringList{"&File: &Open Rom &Save Rom - E&xit",
                                 "&Edit (off): Battle Palettes", "Help: Manual"}));
    QVERIFY(window.mnuSave_Click()); // with nothing open: nothing done, nothing said
    QCOMPARE(fixture.prompter.texts.size(), int(!report.isEmpty()));
}

void tst_Main::openThroughChooser() {
    Fixture fixture;
    Main *window = fixture.start();
    ModalAnswer cancel(
        [](QDialog *chooser) { chooser->findChild<QPushButton *>("cmdCancel")->click(); });
    menuItem(window, "&File", "&Open Rom")->trigger();
    QVERIFY(cancel.ok());
    QVERIFY(!menuItem(window, "&Edit")->isEnabled() && !fixture.state.rom.hasImage());
    ModalAnswer open([](QDialog *chooser) {
        chooser->findChild<QListWidget *>("File1")->setCurrentRow(0);
        chooser->findChild<QPushButton *>("cmdOpen")->click();
    });
    menuItem(window, "&File", "&Open Rom")->trigger();
    QVERIFY(open.ok());
    QVERIFY(menuItem(window, "&Edit")->isEnabled());
    QCOMPARE(fixture.state.rom.length(), 3);
    QVERIFY(fixture.prompter.texts.isEmpty());
    window->close();
}

void tst_Main::closing_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QByteArray>("onDisk"); // empty: the ROM's folder is gone, the save fails
    const QString question =
        QStringLiteral("Would you like to save any changes you have made to the file?");
    QTest::newRow("clean: no question")
        << "close" << false << true << QStringList() << QByteArray("abc");
    QTest::newRow("No") << "close" << true << false << QStringList{question} << QByteArray("abc");
    QTest::newRow("Yes") << "close" << true << true << QStringList{question, "Saved~!"}
                         << QByteArray("Zbc");
    // The edits must survive a failed save: the window stays open, the flag set.
    QTest::newRow("Yes, save fails")
        << "close" << true << true << QStringList{question, "The ROM could not be saved"}
        << QByteArray();
    QTest::newRow("Exit: no question")
        << "exit" << true << true << QStringList() << QByteArray("abc");
    QTest::newRow("Save Rom") << "save" << true << true << QStringList{"Saved~!"}
                              << QByteArray("Zbc");
    QTest::newRow("Save Rom fails")
        << "save" << true << true << QStringList{"The ROM could not be saved"} << QByteArray();
}

void tst_Main::closing() {
    QFETCH(QString, how);
    QFETCH(bool, modified);
    QFETCH(bool, yes);
    QFETCH(QStringList, texts);
    QFETCH(QByteArray, onDisk);
    Fixture fixture;
    if (modified)
        fixture.edit();
    if (onDisk.isEmpty())
        QVERIFY(QDir(fixture.folder.filePath("roms")).removeRecursively());
    fixture.prompter.answers << yes;
    QPointer<Main> window = fixture.start();
    if (how == "close")
        window->close();
    else
        menuItem(window, "&File", how == "exit" ? "E&xit" : "&Save Rom")->trigger();
    QCOMPARE(fixture.prompter.texts.size(), texts.size());
    for (int i = 0; i < texts.size(); ++i)
        QVERIFY2(fixture.prompter.texts[i].startsWith(texts[i]),
                 qPrintable(fixture.prompter.texts[i]));
    QCOMPARE(fixture.folder.read("roms/game.nes"), onDisk);
    const bool saved = !texts.isEmpty() && texts.last() == "Saved~!";
    QCOMPARE(fixture.state.rom.isModified(), modified && !saved);
    if (onDisk.isEmpty())
        QVERIFY(fixture.prompter.texts.last().contains(fixture.folder.filePath("roms/game.nes")));
    QCOMPARE(window && window->isVisible(), onDisk.isEmpty() || how == "save");
    fixture.state.rom.setModified(false);
    if (window)
        window->close();
    QTRY_VERIFY(window.isNull());
}

void tst_Main::childWindows() {
    Fixture fixture;
    fixture.folder.copyPictures();
    fixture.folder.write("roms/game.nes", QByteArray(64, '\x21'));
    QVERIFY(fixture.state.rom.open(fixture.folder.fsPath("roms/game.nes")));
    Main *window = fixture.start();
    window->enableEdit();
    window->resize(1000, 800);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QMdiArea *area = window->mdiArea();
    // Each choice opens another window; an editor opens at its own size even beside a
    // maximised window, having no maximise button.
    menuItem(window, "Help", "Manual")->trigger();
    menuItem(window, "Help", "Manual")->trigger();
    area->subWindowList().last()->showMaximized();
    menuItem(window, "&Edit", "Battle Palettes")->trigger();
    menuItem(window, "&Edit", "Battle Palettes")->trigger();
    const auto windows = area->subWindowList();
    QStringList titles;
    for (QMdiSubWindow *sub : windows)
        titles << sub->windowTitle() + (sub->isMaximized() ? " maximised" : "");
    QCOMPARE(titles,
             (QStringList{"Manual", "Manual maximised", "Battle Palettes", "Battle Palettes"}));
    QMdiSubWindow *editor = windows[3];
    QVERIFY(!(editor->windowFlags() & Qt::WindowMaximizeButtonHint));
    // Its frame cannot be resized: not from any edge or corner, also once moved away from
    // the workspace's corner, nor from the system menu.
    const QSize size = editor->size();
    const QPoint inside = editor->widget()->pos();
    const QPoint start = editor->pos();
    drag(editor, QPoint(size.width() / 2, 10), QPoint(60, 50));
    QCOMPARE(editor->pos(), start + QPoint(60, 50));
    const int w = size.width() - 2, h = size.height() - 2;
    for (const QPoint &edge : {QPoint(1, 1), QPoint(w / 2, 1), QPoint(w, 1), QPoint(w, h / 2),
                               QPoint(w, h), QPoint(w / 2, h), QPoint(1, h), QPoint(1, h / 2)})
        for (const QPoint &by : {QPoint(40, 30), QPoint(-40, -30)}) {
            drag(editor, edge, by);
            QCOMPARE(editor->size(), size);
            QCOMPARE(editor->widget()->pos(), inside);
        }
    for (QAction *action : editor->systemMenu()->actions())
        QVERIFY(action->text() != QStringLiteral("&Size") || !action->isEnabled());
    // Closing one leaves the others.
    windows[2]->close();
    QTRY_COMPARE(area->subWindowList().size(), 3);
    QVERIFY(fixture.prompter.texts.isEmpty());
    window->close();
}

QTEST_MAIN(tst_Main)
#include "tst_Main.moc"
