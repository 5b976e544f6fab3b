#include "GuiTest.h"
#include "RecordingPrompter.h"
#include "TestFolder.h"
#include "chooser/SelectFile.h"
#include "document/DefaultPath.h"

#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>

using namespace tintwright;

namespace {

QStringList items(QWidget *chooser, const char *name) {
    QStringList texts;
    auto *list = chooser->findChild<QListWidget *>(name);
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text().trimmed();
    return texts;
}

QPushButton *button(QWidget *chooser, const char *name) {
    return chooser->findChild<QPushButton *>(name);
}

} // namespace

class tst_SelectFile : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { verifyNoWindowLeft(); }
    void design();
    void listing_data();
    void listing();
    void open_data();
    void open();
    void folders();
    void setAsDefaultPath();
};

void tst_SelectFile::design() {
    TestFolder folder;
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    QMainWindow owner;
    owner.setGeometry(100, 80, 900, 700);
    owner.show();
    SelectFile chooser(state, prompter, &owner);
    QCOMPARE(chooser.windowTitle(), QStringLiteral("Select File"));
    QCOMPARE(chooser.minimumSize(), QSize(443, 422)); // 6645 x 6330 twips, fixed
    QCOMPARE(chooser.maximumSize(), QSize(443, 422));
    QCOMPARE(chooser.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                      Qt::WindowCloseButtonHint),
             Qt::WindowCloseButtonHint);
    // In tab order, with their places in pixels of 15 twips; Open is the default button.
    const QList<QPair<const char *, QRect>> design{{"Dir1", {8, 8, 161, 351}},
                                                   {"File1", {184, 8, 249, 357}},
                                                   {"cmdOpen", {184, 376, 121, 33}},
                                                   {"cmdCancel", {312, 376, 121, 33}},
                                                   {"cmdDefault", {8, 376, 161, 33}}};
    QWidget *widget = chooser.findChild<QWidget *>("Dir1");
    for (const auto &[name, pixels] : design) {
        QCOMPARE(widget->objectName(), QString(name));
        QCOMPARE(widget->geometry(), pixels);
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
    }
    QVERIFY(button(&chooser, "cmdOpen")->isDefault() &&
            !button(&chooser, "cmdCancel")->isDefault());
    QCOMPARE(button(&chooser, "cmdDefault")->text(), QStringLiteral("Set As Default Path"));
    // Shown, it is centred on its owner.
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    QVERIFY((chooser.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <=
            2);
}

void tst_SelectFile::listing_data() {
    QTest::addColumn<bool>("everyFile");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("ROM files only, any case") << false << QStringList{"a.nes", "B.NES", "c.Bin"};
    QTest::newRow("filter flag: every file")
        << true << QStringList{"a.nes", "B.NES", "c.Bin", "d.txt", "e.nes.bak", "noext"};
}

void tst_SelectFile::listing() {
    QFETCH(bool, everyFile);
    QFETCH(QStringList, listed);
    TestFolder folder;
    for (const char *name : {"noext", "d.txt", "c.Bin", "B.NES", "a.nes", "e.nes.bak"})
        folder.write(QStringLiteral("roms/") + name, "x");
    QDir(folder.path()).mkpath("roms/sub folder");
    ProgramState state = folder.state();
    state.defaultFolder = folder.fsPath("roms");
    state.fileTypeFilter = everyFile;
    RecordingPrompter prompter;
    SelectFile chooser(state, prompter);
    QCOMPARE(items(&chooser, "File1"), listed);
    // The folder's path from the top, then its sub-folders.
    const QStringList folders = items(&chooser, "Dir1");
    QCOMPARE(folders.first(), QStringLiteral("/"));
    QCOMPARE(folders.mid(folders.size() - 2), (QStringList{"roms", "sub folder"}));
    QCOMPARE(folders.size(), folder.path().count('/') + 3);
}

void tst_SelectFile::open_data() {
    QTest::addColumn<QString>("select"); // empty: nothing selected
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Open button") << "good.nes"
                                 << "button" << true;
    QTest::newRow("double-click") << "good.nes"
                                  << "double-click" << true;
    QTest::newRow("Tab, arrow, Enter") << ""
                                       << "keys" << true;
    QTest::newRow("empty file") << "empty.nes"
                                << "button" << false;
    QTest::newRow("nothing selected") << ""
                                      << "button" << false;
}

void tst_SelectFile::open() {
    QFETCH(QString, select);
    QFETCH(QString, how);
    QFETCH(bool, opens);
    TestFolder folder;
    folder.write("good.nes", "\x01\x02\x03");
    if (how != "keys")
        folder.write("empty.nes", ""); // the keyboard case needs good.nes alone
    ProgramState state = folder.state();
    state.rom.setModified(true);
    RecordingPrompter prompter;
    OpenWindows windows;
    QPointer<SelectFile> chooser = windows.add(new SelectFile(state, prompter));
    chooser->show();
    QVERIFY(QTest::qWaitForWindowActive(chooser));
    auto *list = chooser->findChild<QListWidget *>("File1");
    list->setCurrentItem(list->findItems(select, Qt::MatchExactly).value(0));
    if (how == "button") {
        button(chooser, "cmdOpen")->click();
    } else if (how == "double-click") {
        const QPoint at = list->visualItemRect(list->currentItem()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    } else {
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Dir1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(state.rom.hasImage(), opens);
    QCOMPARE(state.rom.isModified(), !opens);
    QCOMPARE(prompter.texts,
             opens ? QStringList()
                   : QStringList{"The file you selected is incompatible with this program."});
    if (opens) {
        QCOMPARE(chooser->result(), int(QDialog::Accepted));
        QCOMPARE(state.rom.path(), folder.fsPath("good.nes"));
    }
    QCOMPARE(chooser->isVisible(), !opens);
    chooser->close();
}

void tst_SelectFile::folders() {
    TestFolder folder;
    folder.write("inner/deep.nes", "x");
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    OpenWindows windows;
    SelectFile *chooser = windows.add(new SelectFile(state, prompter));
    chooser->show();
    QVERIFY(QTest::qWaitForWindowExposed(chooser));
    QTest::keyClick(chooser, Qt::Key_Escape); // neither cancels nor closes
    QVERIFY(chooser->isVisible());
    // Enter in the folder list opens the folder, not a file; a double-click opens its parent.
    auto *folders = chooser->findChild<QListWidget *>("Dir1");
    folders->setCurrentItem(folders->findItems("inner", Qt::MatchEndsWith).first());
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(chooser->currentFolder(), folder.filePath("inner"));
    QCOMPARE(items(chooser, "File1"), QStringList{"deep.nes"});
    QVERIFY(chooser->isVisible() && !state.rom.hasImage());
    const QPoint parent = folders->visualItemRect(folders->item(folders->count() - 2)).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, parent);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, parent);
    QCOMPARE(chooser->currentFolder(), folder.path());
    // A folder that has gone: told so, and the chooser stays where it was.
    QVERIFY(QDir(folder.filePath("inner")).removeRecursively());
    folders->setCurrentItem(folders->findItems("inner", Qt::MatchEndsWith).first());
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(prompter.texts.size(), 1);
    QVERIFY(prompter.texts[0].contains("cannot be opened"));
    QCOMPARE(chooser->currentFolder(), folder.path());
    chooser->close(); // the close box closes it, as Cancel does
    QCOMPARE(chooser->result(), int(QDialog::Rejected));
}

void tst_SelectFile::setAsDefaultPath() {
    TestFolder folder;
    QDir(folder.path()).mkpath("hacks, old");
    folder.write("Data/Defaultpath.txt", folder.filePath("gone").toUtf8());
    ProgramState state = folder.state();
    DefaultPath::Load_Path(state);
    RecordingPrompter prompter;
    SelectFile first(state, prompter); // a stored folder that has gone: the program folder
    QCOMPARE(first.currentFolder(), folder.path());
    QVERIFY(first.setFolder(folder.filePath("hacks, old")));
    button(&first, "cmdDefault")->click();
    QCOMPARE(folder.read("Data/Defaultpath.txt"),
             (folder.filePath("hacks, old") + "\r\n").toUtf8());
    // Nothing changes in this run; the next start opens there.
    QCOMPARE(SelectFile(state, prompter).currentFolder(), folder.path());
    ProgramState next = folder.state();
    DefaultPath::Load_Path(next);
    QCOMPARE(SelectFile(next, prompter).currentFolder(), folder.filePath("hacks, old"));
    // A folder that cannot be written: told where and why, and the chooser stays usable.
    QVERIFY(QDir(folder.filePath("Data")).removeRecursively());
    button(&first, "cmdDefault")->click();
    QCOMPARE(prompter.texts.size(), 1);
    QVERIFY(prompter.texts[0].contains(folder.filePath("Data/Defaultpath.txt")));
    QVERIFY2(prompter.texts[0].section("Reason: ", 1).trimmed().size() > 3,
             qPrintable(prompter.texts[0]));
}

QTEST_MAIN(tst_SelectFile)
#include "tst_SelectFile.moc"
