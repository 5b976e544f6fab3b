#include "GuiTest.h"
#include "RecordingPrompter.h"
#include "TestFolder.h"
#include "chooser/SelectFile.h"
#include "shell/Main.h"

#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace tintwright;

class tst_Main : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeLeftOverWindows(); }
    void startUp_data();
    void startUp();
    void openThroughChooserEnablesEdit();
    void exitAsksNothingAndWritesNothing();
    void closeQuestion_data();
    void closeQuestion();
    void saveWithNothingOpenDoesNothing();
    void childWindowsAreIndependent();

private:
    static QAction *menuItem(Main &window, const QString &menu, const QString &item);
};

QAction *tst_Main::menuItem(Main &window, const QString &menu, const QString &item) {
    for (QAction *top : window.menuBar()->actions()) {
        if (top->text() != menu)
            continue;
        if (item.isEmpty())
            return top;
        for (QAction *action : top->menu()->actions())
            if (action->text() == item)
                return action;
    }
    return nullptr;
}

void tst_Main::startUp_data() {
    QTest::addColumn<QByteArray>("front");
    QTest::addColumn<QString>("report"); // empty: starts
    QTest::newRow("good tables") << QByteArray("20,\"Second\"\r\n") << QString();
    QTest::newRow("blank line at the end") << QByteArray("20,\"Second\"\r\n30,Third\r\n\r\n")
                                           << QStringLiteral("Data/FrontLocations.txt, line 3");
    QTest::newRow("address without name")
        << QByteArray("20,\"Second\"\r\n30")
        << QStringLiteral("Data/FrontLocations.txt, line 2: a palette address with no sprite name");
}

void tst_Main::startUp() {
    QFETCH(QByteArray, front);
    QFETCH(QString, report);
    TestFolder folder;
    folder.writeTables("16,First\r\n", front);
    QDir(folder.path()).mkdir("roms");
    folder.write("Data/Defaultpath.txt", (folder.filePath("roms") + "\r\n").toUtf8());
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    Main window(state, prompter);
    QCOMPARE(window.Form_Load(), report.isEmpty());
    // The default folder is read first, whatever the tables hold.
    QCOMPARE(QString::fromStdU16String(state.defaultFolder.u16string()), folder.filePath("roms"));
    if (report.isEmpty()) {
        QVERIFY(prompter.texts.isEmpty());
        QCOMPARE(state.frontLocations.rows(), 1);
        // No editor before a ROM is open; saving is always offered.
        QVERIFY(!menuItem(window, "&Edit", {})->isEnabled());
        QVERIFY(menuItem(window, "&File", "&Save Rom")->isEnabled());
    } else {
        QCOMPARE(prompter.texts.size(), 1);
        QVERIFY2(prompter.texts[0].contains(report), qPrintable(prompter.texts[0]));
    }
}

void tst_Main::openThroughChooserEnablesEdit() {
    TestFolder folder;
    folder.writeTables();
    folder.write("game.nes", QByteArray(64, '\x0f'));
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    auto *window = ownWindow<Main>(state, prompter);
    QVERIFY(window->Form_Load());
    window->show();

    // Cancel first: the menu stays disabled.
    QTimer::singleShot(0, window, [] {
        auto *chooser = qobject_cast<SelectFile *>(QApplication::activeModalWidget());
        QVERIFY(chooser);
        chooser->findChild<QPushButton *>("cmdCancel")->click();
    });
    menuItem(*window, "&File", "&Open Rom")->trigger();
    QVERIFY(!menuItem(*window, "&Edit", {})->isEnabled());

    QTimer::singleShot(0, window, [] {
        auto *chooser = qobject_cast<SelectFile *>(QApplication::activeModalWidget());
        QVERIFY(chooser);
        auto *files = chooser->findChild<QListWidget *>("File1");
        files->setCurrentRow(0);
        chooser->findChild<QPushButton *>("cmdOpen")->click();
    });
    menuItem(*window, "&File", "&Open Rom")->trigger();
    QVERIFY(menuItem(*window, "&Edit", {})->isEnabled());
    QCOMPARE(state.rom.length(), 64);
    QVERIFY(prompter.texts.isEmpty());
    window->close();
}

void tst_Main::exitAsksNothingAndWritesNothing() {
    TestFolder folder;
    folder.writeTables();
    folder.write("game.nes", "abc");
    ProgramState state = folder.state();
    QVERIFY(state.rom.open(folder.filePath("game.nes").toStdString()));
    state.rom.writeByte(0, 'Z');
    state.rom.setModified(true);
    RecordingPrompter prompter;
    auto *window = shownWindow<Main>(state, prompter);
    QPointer<Main> guard(window);
    menuItem(*window, "&File", "E&xit")->trigger();
    QTRY_VERIFY(guard.isNull());
    QVERIFY(prompter.texts.isEmpty());
    QCOMPARE(folder.read("game.nes"), QByteArray("abc"));
}

void tst_Main::closeQuestion_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("breakSave");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<bool>("closes");

    const QString question =
        QStringLiteral("Would you like to save any changes you have made to the file?");
    QTest::newRow("clean: no question")
        << false << true << false << QStringList() << QByteArray("abc") << true;
    QTest::newRow("modified, No") << true << false << false << QStringList{question}
                                  << QByteArray("abc") << true;
    QTest::newRow("modified, Yes")
        << true << true << false << QStringList{question, "Saved~!"} << QByteArray("Zbc") << true;
    QTest::newRow("modified, Yes, save fails")
        << true << true << true << QStringList{question} << QByteArray() << false;
}

void tst_Main::closeQuestion() {
    QFETCH(bool, modified);
    QFETCH(bool, yes);
    QFETCH(bool, breakSave);
    QFETCH(QStringList, texts);
    QFETCH(QByteArray, onDisk);
    QFETCH(bool, closes);

    TestFolder folder;
    folder.writeTables();
    folder.write("roms/game.nes", "abc");
    ProgramState state = folder.state();
    QVERIFY(state.rom.open(folder.filePath("roms/game.nes").toStdString()));
    if (modified) {
        state.rom.writeByte(0, 'Z');
        state.rom.setModified(true);
    }
    if (breakSave)
        QVERIFY(QDir(folder.filePath("roms")).removeRecursively());

    RecordingPrompter prompter;
    prompter.answers << yes;
    auto *window = shownWindow<Main>(state, prompter);
    QPointer<Main> guard(window);
    window->close();

    if (closes) {
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(prompter.texts, texts);
        QCOMPARE(folder.read("roms/game.nes"), onDisk);
        QVERIFY(!state.rom.isModified() || !yes);
    } else {
        // The edits must survive a failed save: the window stays, the flag stays set.
        QVERIFY(!guard.isNull() && window->isVisible());
        QCOMPARE(prompter.texts.size(), 2);
        QVERIFY(prompter.texts[1].contains(folder.filePath("roms/game.nes")));
        QVERIFY(!prompter.texts.contains("Saved~!"));
        QVERIFY(state.rom.isModified());
        QCOMPARE(state.rom.readByte(0).value(), std::uint8_t('Z'));
        state.rom.setModified(false);
        window->close();
    }
}

void tst_Main::saveWithNothingOpenDoesNothing() {
    TestFolder folder;
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    Main window(state, prompter);
    QVERIFY(window.mnuSave_Click());
    QVERIFY(prompter.texts.isEmpty());
}

void tst_Main::childWindowsAreIndependent() {
    TestFolder folder;
    folder.writeTables();
    folder.copyPictures();
    folder.write("game.nes", QByteArray(64, '\x21'));
    ProgramState state = folder.state();
    QVERIFY(state.rom.open(folder.filePath("game.nes").toStdString()));
    RecordingPrompter prompter;
    auto *window = ownWindow<Main>(state, prompter);
    QVERIFY(window->Form_Load());
    window->enableEdit();
    window->show();
    menuItem(*window, "&Edit", "Battle Palettes")->trigger();
    menuItem(*window, "&Edit", "Battle Palettes")->trigger();
    const auto windows = window->mdiArea()->subWindowList();
    QCOMPARE(windows.size(), 2);
    QVERIFY(windows[0]->widget() != windows[1]->widget());
    QCOMPARE(windows[0]->windowTitle(), QStringLiteral("Battle Palettes"));
    QVERIFY(!(windows[0]->windowFlags() & Qt::WindowMaximizeButtonHint));
    windows[0]->close();
    QTRY_COMPARE(window->mdiArea()->subWindowList().size(), 1);
    QVERIFY(prompter.texts.isEmpty());
    window->close();
}

QTEST_MAIN(tst_Main)
#include "tst_Main.moc"
