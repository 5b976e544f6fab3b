#include "GuiTest.h"
#include "RecordingPrompter.h"
#include "TestFolder.h"
#include "chooser/DefaultPath.h"
#include "chooser/SelectFile.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace tintwright;

class tst_SelectFile : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeLeftOverWindows(); }
    void listing_data();
    void listing();
    void startFolder_data();
    void startFolder();
    void open_data();
    void open();
    void escapeDoesNotClose();
    void enterInFolderListOpensFolder();
    void setAsDefaultPath_data();
    void setAsDefaultPath();
    void unwritableDefaultPath();

private:
    static QStringList items(const QListWidget *list);
};

QStringList tst_SelectFile::items(const QListWidget *list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text().trimmed();
    return texts;
}

void tst_SelectFile::listing_data() {
    QTest::addColumn<bool>("everyFile");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("ROM files only, any case") << false << QStringList{"a.nes", "B.NES", "c.Bin"};
    QTest::newRow("filter flag: every file")
        << true << QStringList{"a.nes", "B.NES", "c.Bin", "d.txt", "noext"};
}

void tst_SelectFile::listing() {
    QFETCH(bool, everyFile);
    QFETCH(QStringList, listed);
    TestFolder folder;
    for (const char *name : {"a.nes", "B.NES", "c.Bin", "d.txt", "noext"})
        folder.write(QStringLiteral("roms/") + name, "x");
    QDir(folder.path()).mkpath("roms/sub folder");
    ProgramState state = folder.state();
    state.defaultFolder = folder.filePath("roms").toStdString();
    state.fileTypeFilter = everyFile;
    RecordingPrompter prompter;
    SelectFile chooser(state, prompter);
    QCOMPARE(items(chooser.findChild<QListWidget *>("File1")), listed);
    const QStringList folders = items(chooser.findChild<QListWidget *>("Dir1"));
    QCOMPARE(folders.first(), QStringLiteral("/"));
    QCOMPARE(folders.mid(folders.size() - 2), (QStringList{"roms", "sub folder"}));
}

void tst_SelectFile::startFolder_data() {
    QTest::addColumn<QByteArray>("file"); // Defaultpath.txt; "-" for none
    QTest::addColumn<QString>("opensIn"); // relative to the program folder
    QTest::newRow("no file") << QByteArray("-") << QString();
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("stored folder") << QByteArray("@/roms\r\n") << "roms";
    QTest::newRow("deleted folder") << QByteArray("@/gone\r\n") << QString();
    QTest::newRow("folder with a comma") << QByteArray("@/a, b\r\n") << "a, b";
    QTest::newRow("quoted folder with a comma") << QByteArray("\"@/a, b\"\r\n") << "a, b";
}

void tst_SelectFile::startFolder() {
    QFETCH(QByteArray, file);
    QFETCH(QString, opensIn);
    TestFolder folder;
    QDir(folder.path()).mkpath("roms");
    QDir(folder.path()).mkpath("a, b");
    if (file != "-")
        folder.write("Data/Defaultpath.txt", file.replace('@', folder.path().toUtf8()));
    ProgramState state = folder.state();
    state.defaultFolder.clear();
    DefaultPath::Load_Path(state);
    RecordingPrompter prompter;
    SelectFile chooser(state, prompter);
    const QString expected = opensIn.isEmpty() ? folder.path() : folder.filePath(opensIn);
    QCOMPARE(chooser.currentFolder(), expected);
    QVERIFY(prompter.texts.isEmpty());
}

void tst_SelectFile::open_data() {
    QTest::addColumn<QString>("select"); // empty: nothing selected
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Open button") << "good.nes"
                                 << "button" << true;
    QTest::newRow("double-click") << "good.nes"
                                  << "double-click" << true;
    QTest::newRow("Enter") << "good.nes"
                           << "enter" << true;
    QTest::newRow("empty file") << "empty.nes"
                                << "button" << false;
    QTest::newRow("nothing selected") << QString() << "button" << false;
}

void tst_SelectFile::open() {
    QFETCH(QString, select);
    QFETCH(QString, how);
    QFETCH(bool, opens);
    TestFolder folder;
    folder.write("good.nes", "\x01\x02\x03");
    if (how != "enter")
        folder.write("empty.nes", ""); // the keyboard case needs good.nes alone
    ProgramState state = folder.state();
    state.rom.setModified(true);
    RecordingPrompter prompter;
    auto *chooser = shownWindow<SelectFile>(state, prompter);
    QVERIFY(QTest::qWaitForWindowExposed(chooser));
    auto *files = chooser->findChild<QListWidget *>("File1");
    const auto found = files->findItems(select, Qt::MatchExactly);
    if (!select.isEmpty()) {
        QCOMPARE(found.size(), 1);
        files->setCurrentItem(found.first());
    }
    QPointer<SelectFile> guard(chooser);
    if (how == "button") {
        chooser->findChild<QPushButton *>("cmdOpen")->click();
    } else if (how == "double-click") {
        const QRect rect = files->visualItemRect(found.first());
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, rect.center());
    } else {
        // From the keyboard alone: Tab to the list, an arrow key, Enter.
        files->clearSelection();
        chooser->findChild<QWidget *>("Dir1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), files);
        QTest::keyClick(files, Qt::Key_Down);
        QTest::keyClick(files, Qt::Key_Return);
    }

    if (opens) {
        QCOMPARE(chooser->result(), int(QDialog::Accepted));
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(state.rom.length(), 3);
        QVERIFY(!state.rom.isModified());
        QVERIFY(prompter.texts.isEmpty());
    } else {
        QVERIFY(chooser->isVisible());
        QCOMPARE(prompter.texts,
                 QStringList{"The file you selected is incompatible with this program."});
        QVERIFY(!state.rom.hasImage());
        QVERIFY(state.rom.isModified());
        chooser->findChild<QPushButton *>("cmdCancel")->click();
        QCOMPARE(chooser->result(), int(QDialog::Rejected));
    }
}

void tst_SelectFile::escapeDoesNotClose() {
    TestFolder folder;
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    auto *chooser = shownWindow<SelectFile>(state, prompter);
    QTest::keyClick(chooser, Qt::Key_Escape);
    QVERIFY(chooser->isVisible());
    chooser->close(); // the close box does close it
    QCOMPARE(chooser->result(), int(QDialog::Rejected));
}

void tst_SelectFile::enterInFolderListOpensFolder() {
    TestFolder folder;
    folder.write("inner/deep.nes", "x");
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    auto *chooser = shownWindow<SelectFile>(state, prompter);
    auto *folders = chooser->findChild<QListWidget *>("Dir1");
    folders->setCurrentItem(folders->findItems("inner", Qt::MatchEndsWith).first());
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(chooser->currentFolder(), folder.filePath("inner"));
    QCOMPARE(items(chooser->findChild<QListWidget *>("File1")), QStringList{"deep.nes"});
    QVERIFY(chooser->isVisible());
    QVERIFY(prompter.texts.isEmpty());
    chooser->close();
}

void tst_SelectFile::setAsDefaultPath_data() {
    QTest::addColumn<QString>("sub");
    QTest::newRow("plain") << "roms";
    QTest::newRow("comma") << "hacks, old";
}

void tst_SelectFile::setAsDefaultPath() {
    QFETCH(QString, sub);
    TestFolder folder;
    QDir(folder.path()).mkpath(sub);
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    {
        SelectFile chooser(state, prompter);
        QVERIFY(chooser.setFolder(folder.filePath(sub)));
        chooser.findChild<QPushButton *>("cmdDefault")->click();
        QVERIFY(prompter.texts.isEmpty());
    }
    QCOMPARE(folder.read("Data/Defaultpath.txt"), (folder.filePath(sub) + "\r\n").toUtf8());
    // Nothing changes in this run...
    QCOMPARE(SelectFile(state, prompter).currentFolder(), folder.path());
    // ...the next start opens there.
    ProgramState next = folder.state();
    DefaultPath::Load_Path(next);
    QCOMPARE(SelectFile(next, prompter).currentFolder(), folder.filePath(sub));
}

void tst_SelectFile::unwritableDefaultPath() {
    TestFolder folder;
    QVERIFY(QDir(folder.filePath("Data")).removeRecursively());
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    auto *chooser = shownWindow<SelectFile>(state, prompter);
    chooser->findChild<QPushButton *>("cmdDefault")->click();
    QCOMPARE(prompter.texts.size(), 1);
    QVERIFY(prompter.texts[0].contains("Defaultpath.txt"));
    QVERIFY(prompter.texts[0].contains("No such file or directory"));
    QVERIFY(chooser->isVisible());
    chooser->close();
}

QTEST_MAIN(tst_SelectFile)
#include "tst_SelectFile.moc"
