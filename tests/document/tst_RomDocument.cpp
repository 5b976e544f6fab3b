#include "TestFolder.h"
#include "document/RomDocument.h"
#include "document/SpritePalette.h"

#include <QtTest>

using namespace tintwright;

// The one ROM and the editor's rules over it, as plain data: opening and saving lose no byte,
// nothing reads or writes outside the image, and a pick writes only the byte its tile stands
// for, only with the colour pressed.
class tst_RomDocument : public QObject {
    Q_OBJECT

private slots:
    void open_data();
    void open();
    void save_data();
    void save();
    void byteAccess();
    void pick_data();
    void pick();
};

void tst_RomDocument::open_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("opens");
    QTest::newRow("one byte") << "one.nes" << true;
    QTest::newRow("a text file: no format test") << "words.txt" << true;
    QTest::newRow("zero bytes") << "empty.nes" << false;
    QTest::newRow("missing") << "missing.nes" << false;
    QTest::newRow("a folder") << "folder.nes" << false;
    QTest::newRow("a folder, with a separator") << "folder.nes/" << false;
    QTest::newRow("2 GiB: too long for the image") << "huge.nes" << false;
}

void tst_RomDocument::open() {
    QFETCH(QString, file);
    QFETCH(bool, opens);
    TestFolder folder;
    folder.write("one.nes", "\x42");
    folder.write("words.txt", "just some words\n");
    folder.write("empty.nes", "");
    folder.write("old.nes", "ABC");
    QDir(folder.path()).mkdir("folder.nes");
    QFile huge(folder.filePath("huge.nes"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31)); // sparse
    RomDocument rom;
    QVERIFY(rom.open(folder.fsPath("old.nes")) && rom.writeByte(1, 'x'));
    rom.setModified(true);
    std::string reason;
    QCOMPARE(rom.open(folder.fsPath(file), &reason), opens);
    // A failed open changes nothing and says why; a good one takes every byte.
    const QString now = opens ? file : "old.nes";
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(rom.data()), rom.length()),
             opens ? folder.read(file) : QByteArray("AxC"));
    QCOMPARE(rom.path(), folder.fsPath(now));
    QCOMPARE(rom.isModified(), !opens);
    QCOMPARE(reason.empty(), opens);
}

void tst_RomDocument::save_data() {
    QTest::addColumn<QString>("change");    // what happened on disk since the open
    QTest::addColumn<QByteArray>("onDisk"); // empty: the save fails
    QTest::newRow("unchanged") << "" << QByteArray("Zbcd");
    QTest::newRow("file grew: its tail is kept") << "grow" << QByteArray("Zbcdefgh");
    QTest::newRow("file deleted: created again") << "delete" << QByteArray("Zbcd");
    QTest::newRow("a folder where the file was") << "folder" << QByteArray();
    QTest::newRow("its folder deleted") << "no folder" << QByteArray();
}

void tst_RomDocument::save() {
    QFETCH(QString, change);
    QFETCH(QByteArray, onDisk);
    TestFolder folder;
    folder.write("sub/r.nes", "abcd");
    RomDocument rom;
    std::string reason;
    QCOMPARE(rom.write(reason), RomDocument::WriteResult::NothingOpen);
    QVERIFY(rom.open(folder.fsPath("sub/r.nes")) && rom.writeByte(0, 'Z'));
    rom.setModified(true);
    if (change == "grow")
        folder.write("sub/r.nes", "abcdefgh");
    if (change == "delete" || change == "folder")
        QVERIFY(QFile::remove(folder.filePath("sub/r.nes")));
    if (change == "folder")
        QVERIFY(QDir(folder.path()).mkdir("sub/r.nes"));
    if (change == "no folder")
        QVERIFY(QDir(folder.filePath("sub")).removeRecursively());
    const auto result = rom.write(reason);
    QCOMPARE(result, onDisk.isEmpty() ? RomDocument::WriteResult::Failed
                                      : RomDocument::WriteResult::Written);
    QCOMPARE(reason.empty(), !onDisk.isEmpty());
    QCOMPARE(folder.read("sub/r.nes"), onDisk);
    // Writing never clears the flag: that waits until the user has been told.
    QVERIFY(rom.isModified() && rom.readByte(0) == 'Z');
}

void tst_RomDocument::byteAccess() {
    RomDocument rom;
    QVERIFY(!rom.readByte(0) && !rom.writeByte(0, 1) &&
            SpritePalette::paletteBytes(rom, 0).empty());
    QVERIFY(rom.assign(reinterpret_cast<const std::uint8_t *>("ABCDEFGH"), 8, "r.nes"));
    QVERIFY(!rom.assign(rom.data(), 0, "empty.nes"));
    for (const qint64 index : {-1LL, 8LL, 0x100000001LL})
        QVERIFY(!rom.readByte(index) && !rom.writeByte(index, 'Z'));
    QVERIFY(rom.writeByte(7, 'Z') && rom.writeByte(0, 'a') && rom.readByte(7) == 'Z');
    // A load shows the palette's bytes up to the first that lies outside the image.
    const auto shown = [&](int address) {
        const auto bytes = SpritePalette::paletteBytes(rom, address);
        return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    };
    QCOMPARE(shown(0), QByteArray("aBC"));
    QCOMPARE(shown(5), QByteArray("FGZ"));
    QCOMPARE(shown(6), QByteArray("GZ"));
    QCOMPARE(shown(7), QByteArray("Z"));
    for (const int address : {8, -1, 0x7FFFFFFF})
        QCOMPARE(shown(address), QByteArray());
    // A pick on tiles 0 to 2 writes the back palette's bytes, on 3 to 5 the front's.
    const auto index = [&](int tile, int back, int front) {
        return SpritePalette::pickIndex(rom, tile, back, front).value_or(-1);
    };
    QCOMPARE(index(0, 1, 4), 1);
    QCOMPARE(index(2, 1, 4), 3);
    QCOMPARE(index(3, 1, 4), 4);
    QCOMPARE(index(5, 1, 5), 7);
    QCOMPARE(index(5, 1, 6), -1);
    QCOMPARE(index(0, -1, 4), -1);
    QCOMPARE(index(2, 0x7FFFFFFF, 4), -1);
    // Previews up to position 158 show picture p + 1; the link follows to positions the
    // other list has, and not when it is there already.
    QCOMPARE(SpritePalette::previewNumber(158).value_or(0) +
                 SpritePalette::previewNumber(0).value_or(0),
             160);
    QVERIFY(!SpritePalette::previewNumber(159));
    QCOMPARE(SpritePalette::linkedPosition(19, 0, 20).value_or(-1), 19);
    QVERIFY(!SpritePalette::linkedPosition(20, 0, 20) && !SpritePalette::linkedPosition(5, 5, 20));
}

void tst_RomDocument::pick_data() {
    QTest::addColumn<bool>("tileSelected");
    QTest::addColumn<QPointF>("press"); // twips from the chart's top-left corner
    QTest::addColumn<QPointF>("release");
    QTest::addColumn<int>("applied"); // -1: nothing
    const auto row = [](const char *name, QPointF press, QPointF release, int applied) {
        QTest::newRow(name) << true << press << release << applied;
    };
    row("top-left corner", {0, 0}, {0, 0}, 0x00);
    row("bottom-right cell", {5759, 1439}, {5700, 1400}, 0x3F);
    row("360, 360", {360, 360}, {360, 360}, 0x11);
    row("359.9 is column 0, 360 column 1", {359.9, 0}, {360, 0}, -1);
    row("359.9 is row 0", {0, 359.9}, {1, 1}, 0x00);
    row("different cells cancel", {6 * 360, 360}, {7 * 360, 360}, -1);
    row("just left of the chart is column 0", {10, 10}, {-300, 10}, 0x00);
    row("a whole cell left names nothing", {10, 10}, {-360, 10}, -1);
    row("far above names nothing", {10, 10}, {10, -2000}, -1);
    row("value 255 still a byte", {5400, 5400}, {5401, 5400}, 0xFF);
    row("value 256 names nothing", {5400, 5400}, {5760, 5400}, -1);
    row("column 255 of row 0", {91800, 0}, {91800, 0}, 0xFF);
    row("column 256 names nothing", {92160, 0}, {92160, 0}, -1);
    row("off the chart, same value", {0, 360}, {5760, 0}, 0x10);
    QTest::newRow("no tile selected") << false << QPointF(0, 0) << QPointF(0, 0) << -1;
}

void tst_RomDocument::pick() {
    QFETCH(bool, tileSelected);
    QFETCH(QPointF, press);
    QFETCH(QPointF, release);
    QFETCH(int, applied);
    ColourPick pick;
    pick.press(360, 0); // ignored: no tile yet
    QCOMPARE(pick.pickedColour(), 0);
    if (tileSelected)
        pick.selectTile(4);
    QCOMPARE(pick.hasTile(), tileSelected);
    QCOMPARE(pick.selectedTile(), tileSelected ? 4 : 0);
    pick.press(float(press.x()), float(press.y()));
    const auto colour = pick.release(float(release.x()), float(release.y()));
    QCOMPARE(colour ? int(*colour) : -1, applied);
}

QTEST_APPLESS_MAIN(tst_RomDocument)
#include "tst_RomDocument.moc"
