#include "Cases.h"
#include "GuiTest.h"
#include "chooser/FolderIndent.h"
#include "chooser/SelectFile.h"
#include "document/DefaultPath.h"

#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>

using namespace tintwright;

namespace {

QStringList items(QWidget *chooser, const char *name) {
    QStringList texts;
    for (auto *list = chooser->findChild<QListWidget *>(name); texts.size() < list->count();)
        texts << list->item(texts.size())->text();
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
    void layout();
    void listing();
    void open_data() { addCases("windows", "chooserOpen"); }
    void open();
    void folders();
    void setAsDefaultPath();
};

void tst_SelectFile::layout() {
    Fixture f;
    QMainWindow owner;
    owner.setGeometry(100, 80, 900, 700);
    owner.show();
    SelectFile chooser(f.state, f.prompter, &owner);
    QCOMPARE(chooser.windowTitle(), QStringLiteral("Select File"));
    // 6645 x 6330 twips
    QCOMPARE(chooser.minimumSize(), QSize(443, 422));
    QCOMPARE(chooser.maximumSize(), QSize(443, 422));
    QCOMPARE(chooser.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                      Qt::WindowCloseButtonHint),
             Qt::WindowCloseButtonHint);
    // In tab order, each where the design puts it (tests/data/windows.json).
    QWidget *widget = chooser.findChild<QWidget *>("Dir1");
    for (const QJsonObject &row : cases("windows", "chooserLayout")) {
        QCOMPARE(widget->objectName(), row["name"].toString());
        QCOMPARE(widget->geometry(), QRect(row["left"].toInt(), row["top"].toInt(),
                                           row["width"].toInt(), row["height"].toInt()));
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
    }
    QCOMPARE(widget->objectName(), QStringLiteral("Dir1"));
    QCOMPARE(button(&chooser, "cmdOpen")->text() + button(&chooser, "cmdCancel")->text() +
                 button(&chooser, "cmdDefault")->text(),
             "OpenCancelSet As Default Path");
    QVERIFY(button(&chooser, "cmdOpen")->isDefault());
    QVERIFY(!button(&chooser, "cmdCancel")->isDefault());
    chooser.show(); // centred on its owner
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    QVERIFY((chooser.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <=
            2);
}

void tst_SelectFile::listing() {
    Fixture f;
    for (const char *name : {"noext", "d.txt", "c.Bin", "B.NES", "a.nes", "e.nes.bak"})
        f.folder.write(QStringLiteral("roms/") + name, "x");
    QDir(f.folder.path()).mkpath("roms/sub folder");
    // Links are listed by what they lead to: a folder as a folder, a device not at all.
    QVERIFY(QFile::link("/dev/zero", f.folder.filePath("roms/zero")));
    QVERIFY(QFile::link(f.folder.filePath("roms/sub folder"), f.folder.filePath("roms/sub link")));
    f.state.defaultFolder = f.folder.fsPath("roms");
    SelectFile roms(f.state, f.prompter);
    QCOMPARE(items(&roms, "File1"), (QStringList{"a.nes", "B.NES", "c.Bin"}));
    f.state.fileTypeFilter = true;
    SelectFile every(f.state, f.prompter);
    QCOMPARE(items(&every, "File1"),
             (QStringList{"a.nes", "B.NES", "c.Bin", "d.txt", "e.nes.bak", "noext"}));
    // The folder's path from the top, one level deeper each, then its sub-folders.
    const QStringList folders = items(&every, "Dir1");
    const int depth = f.folder.path().count('/');
    QCOMPARE(folders.size(), depth + 4);
    QCOMPARE(folders.first(), QStringLiteral("/"));
    QCOMPARE(folders.mid(depth + 1), (QStringList{"roms", "sub folder", "sub link"}));
    auto *list = every.findChild<QListWidget *>("Dir1");
    for (int row = 0; row < list->count(); ++row) // indented by level, not by spaces
        QCOMPARE(list->item(row)->data(FolderIndent::kLevelRole).toInt(), qMin(row, depth + 2));
    QCOMPARE(list->accessibleName() + every.findChild<QListWidget *>("File1")->accessibleName(),
             "FoldersFiles");
    list->setFocus();
    QTest::keyClicks(list, "s"); // type-ahead reaches a name by its first letter
    QCOMPARE(list->currentItem()->text(), "sub folder");
    // An installed copy lists the user's own folder first, and Enter goes there.
    f.state.userConfigFolder = f.folder.fsPath("config");
    f.state.userDataFolder = f.folder.fsPath("mine");
    QVERIFY(QDir(f.folder.path()).mkpath("mine"));
    SelectFile installed(f.state, f.prompter);
    auto *yours = installed.findChild<QListWidget *>("Dir1");
    QCOMPARE(yours->item(0)->text(), "Your Tintwright folder");
    yours->setCurrentRow(0);
    QTest::keyClick(yours, Qt::Key_Return);
    QCOMPARE(installed.currentFolder(), f.folder.filePath("mine"));
}

void tst_SelectFile::open() {
    QFETCH(QJsonObject, row);
    const QString how = row["how"].toString();
    const bool opens = row["opens"].toBool();
    Fixture f;
    f.folder.write("good.nes", "\x01\x02\x03");
    if (how != "keys")
        f.folder.write("empty.nes", ""); // the keyboard case needs good.nes alone
    f.state.rom.setModified(true);
    SelectFile *chooser = f.add(new SelectFile(f.state, f.prompter));
    chooser->show();
    QVERIFY(QTest::qWaitForWindowActive(chooser));
    auto *list = chooser->findChild<QListWidget *>("File1");
    list->setCurrentItem(list->findItems(row["file"].toString(), Qt::MatchExactly).value(0));
    if (how == "button") {
        button(chooser, "cmdOpen")->click();
    } else if (how == "double-click") {
        const QPoint at = list->visualItemRect(list->currentItem()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    } else {
        // Tab, then an arrow or not: the file under the focus frame is the one opened.
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Dir1"));
        for (const QJsonValue key : row["keys"].toArray())
            QTest::keyClick(QApplication::focusWidget(),
                            Qt::Key(QKeySequence::fromString(key.toString())[0].key()));
    }
    QCOMPARE(std::pair(f.state.rom.hasImage(), f.state.rom.isModified()), std::pair(opens, !opens));
    QCOMPARE(f.prompter.texts,
             opens ? QStringList()
                   : QStringList{"The file you selected is incompatible with this program."});
    if (opens) {
        QCOMPARE(chooser->result(), int(QDialog::Accepted));
        QCOMPARE(f.state.rom.path(), f.folder.fsPath("good.nes"));
    }
    QCOMPARE(chooser->isVisible(), !opens);
}

void tst_SelectFile::folders() {
    Fixture f;
    f.folder.write("inner/deep.nes", "x");
    f.folder.write("top.nes", "x"); // keys in the folder list leave the file list alone
    SelectFile *chooser = f.add(new SelectFile(f.state, f.prompter));
    chooser->show();
    QVERIFY(QTest::qWaitForWindowExposed(chooser));
    QTest::keyClick(chooser, Qt::Key_Escape); // neither cancels nor closes
    QVERIFY(chooser->isVisible());
    // Keys move in the folder list; Enter there opens the folder, not a file; a double-click
    // opens its parent.
    auto *folders = chooser->findChild<QListWidget *>("Dir1");
    QTest::keyClick(folders, Qt::Key_Down);
    QTest::keyClick(folders, Qt::Key_Down);
    QVERIFY(folders->currentItem()->text().endsWith("inner"));
    QVERIFY(chooser->findChild<QListWidget *>("File1")->selectedItems().isEmpty());
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(chooser->currentFolder(), f.folder.filePath("inner"));
    QCOMPARE(items(chooser, "File1"), QStringList{"deep.nes"});
    QVERIFY(chooser->isVisible() && !f.state.rom.hasImage());
    const QPoint parent = folders->visualItemRect(folders->item(folders->count() - 2)).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, parent);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, parent);
    QCOMPARE(chooser->currentFolder(), f.folder.path());
    // A folder that has gone: told so, and the chooser stays where it was.
    QVERIFY(QDir(f.folder.filePath("inner")).removeRecursively());
    QTest::keyClick(folders, Qt::Key_End);
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(f.prompter.texts.size(), 1);
    QVERIFY(f.prompter.texts[0].contains("cannot be opened"));
    QCOMPARE(chooser->currentFolder(), f.folder.path());
    chooser->close(); // the close box closes it, as Cancel does
    QCOMPARE(chooser->result(), int(QDialog::Rejected));
}

void tst_SelectFile::setAsDefaultPath() {
    Fixture f;
    QDir(f.folder.path()).mkpath("hacks, old");
    f.folder.write("Data/Defaultpath.txt", f.folder.filePath("gone").toUtf8());
    DefaultPath::Load_Path(f.state);
    SelectFile first(f.state, f.prompter); // a stored folder that has gone: the program folder
    QCOMPARE(first.currentFolder(), f.folder.path());
    f.folder.write("Data/Defaultpath.txt", "/tmp/jos\xE9/roms\r\n"); // and one not in UTF-8
    ProgramState other = f.folder.state();
    DefaultPath::Load_Path(other);
    QCOMPARE(SelectFile(other, f.prompter).currentFolder(), f.folder.path());
    QVERIFY(first.setFolder(f.folder.filePath("hacks, old")));
    button(&first, "cmdDefault")->click();
    QCOMPARE(f.folder.read("Data/Defaultpath.txt"),
             (f.folder.filePath("hacks, old") + "\r\n").toUtf8());
    // Nothing changes in this run; the next start opens there.
    QCOMPARE(SelectFile(f.state, f.prompter).currentFolder(), f.folder.path());
    ProgramState next = f.folder.state();
    DefaultPath::Load_Path(next);
    QCOMPARE(SelectFile(next, f.prompter).currentFolder(), f.folder.filePath("hacks, old"));
    // A folder that cannot be written: told where and why, and the chooser stays usable.
    QVERIFY(QDir(f.folder.filePath("Data")).removeRecursively());
    button(&first, "cmdDefault")->click();
    QCOMPARE(f.prompter.texts.size(), 1);
    QVERIFY(f.prompter.texts[0].contains(f.folder.filePath("Data/Defaultpath.txt")));
    QVERIFY2(f.prompter.texts[0].section("Reason: ", 1).trimmed().size() > 3,
             qPrintable(f.prompter.texts[0]));
}

QTEST_MAIN(tst_SelectFile)
#include "tst_SelectFile.moc"
