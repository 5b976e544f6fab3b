#include "Cases.h"
#include "TestFolder.h"
#include "document/RomDocument.h"
#include "document/SpritePalette.h"

#include <sys/stat.h>

using namespace tintwright;

// The one ROM and the editor's rules over it: opening and saving lose no byte, nothing reads or
// writes outside the image, and a pick writes only the byte its tile stands for, only with the
// colour pressed. The rules' cases are in tests/data/readers.json.
class tst_RomDocument : public QObject {
    Q_OBJECT

private slots:
    void open_data() { addCases("readers", "open"); }
    void open();
    void save_data() { addCases("readers", "save"); }
    void save();
    void paletteBytes_data() { addCases("readers", "paletteBytes"); }
    void paletteBytes();
    void pickIndex_data() { addCases("readers", "pickIndex"); }
    void pickIndex();
    void chartPick_data() { addCases("readers", "chartPick"); }
    void chartPick();
    void listRules();
    void focusCell_data() { addCases("readers", "focusCell"); }
    void focusCell();
    void picks_data() { addCases("readers", "picks"); }
    void picks();
};

void tst_RomDocument::open() {
    QFETCH(QJsonArray, row);
    const QString file = row[1].toString();
    const bool opens = row[2].toBool();
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
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(rom.data()), rom.length()),
             opens ? folder.read(file) : "AxC");
    QCOMPARE(rom.path(), folder.fsPath(opens ? file : "old.nes"));
    QCOMPARE(rom.isModified(), !opens);
    QCOMPARE(reason.empty(), opens);
}

void tst_RomDocument::save() {
    QFETCH(QJsonArray, row);
    const QString change = row[1].toString();
    const QByteArray onDisk = row[2].toString().toLatin1();
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
    if (change == "pipe") // a save must neither block on it nor call it saved
        QVERIFY(QFile::remove(folder.filePath("sub/r.nes")) &&
                mkfifo(folder.filePath("sub/r.nes").toUtf8(), 0600) == 0);
    if (change == "no folder")
        QVERIFY(QDir(folder.filePath("sub")).removeRecursively());
    QCOMPARE(rom.write(reason), onDisk.isEmpty() ? RomDocument::WriteResult::Failed
                                                 : RomDocument::WriteResult::Written);
    QCOMPARE(reason.empty(), !onDisk.isEmpty());
    QVERIFY(onDisk.isEmpty() || folder.read("sub/r.nes") == onDisk);
    // Writing never clears the flag: that waits until the user has been told.
    QVERIFY(rom.isModified() && rom.readByte(0) == 'Z');
}

void tst_RomDocument::paletteBytes() {
    QFETCH(QJsonArray, row);
    RomDocument rom;
    QVERIFY(SpritePalette::paletteBytes(rom, 0).empty() && !rom.readByte(0) &&
            !rom.writeByte(0, 1));
    QVERIFY(rom.assign(reinterpret_cast<const std::uint8_t *>("ABCDEFGH"), 8, "r.nes"));
    QVERIFY(!rom.assign(rom.data(), 0, "empty.nes") && rom.length() == 8);
    const auto bytes = SpritePalette::paletteBytes(rom, row[1].toInt());
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())),
             row[2].toString().toLatin1());
    const qint64 index = qint64(row[1].toInt()) + 2;
    QCOMPARE(rom.writeByte(index, 'z'), index >= 0 && index < 8);
    QCOMPARE(rom.readByte(index).value_or(0), index >= 0 && index < 8 ? 'z' : 0);
}

void tst_RomDocument::pickIndex() {
    QFETCH(QJsonArray, row);
    RomDocument rom;
    QVERIFY(rom.assign(reinterpret_cast<const std::uint8_t *>("ABCDEFGH"), 8, "r.nes"));
    QCOMPARE(
        SpritePalette::pickIndex(rom, row[1].toInt(), row[2].toInt(), row[3].toInt()).value_or(-1),
        row[4].toInt());
}

void tst_RomDocument::chartPick() {
    QFETCH(QJsonArray, row);
    const QJsonArray at = row[1].toArray();
    ColourPick pick;
    pick.press(360, 0); // ignored: no tile yet
    pick.selectTile(4);
    QVERIFY(pick.hasTile() && pick.selectedTile() == 4 && pick.pickedColour() == 0);
    pick.press(float(at[0].toDouble()), float(at[1].toDouble()));
    const auto colour = pick.release(float(at[2].toDouble()), float(at[3].toDouble()));
    QCOMPARE(colour ? int(*colour) : -1, row[2].toInt());
    QVERIFY(!ColourPick().release(0, 0)); // nothing before the first tile click
}

void tst_RomDocument::listRules() {
    // Previews up to position 158 show picture p + 1; the link follows to a position the other
    // list has, and not when it is there already.
    QCOMPARE(SpritePalette::previewNumber(0).value_or(0) +
                 SpritePalette::previewNumber(158).value_or(0),
             160);
    QVERIFY(!SpritePalette::previewNumber(159));
    QCOMPARE(SpritePalette::linkedPosition(19, 0, 20).value_or(-1), 19);
    QVERIFY(!SpritePalette::linkedPosition(20, 0, 20) && !SpritePalette::linkedPosition(5, 5, 20));
}

void tst_RomDocument::focusCell() {
    QFETCH(QJsonArray, row);
    const QStringList keys{"Left", "Right", "Up", "Down", "Home", "End"};
    const auto key = SpritePalette::ChartKey(keys.indexOf(row[2].toString()));
    QCOMPARE(SpritePalette::moveFocusCell(row[1].toInt(), key), row[3].toInt());
}

void tst_RomDocument::picks() {
    QFETCH(QJsonArray, row); // steps, then the image, the file and the flag afterwards
    TestFolder folder;
    folder.write("r.nes", "ABCDEFGH");
    RomDocument rom;
    QVERIFY(rom.open(folder.fsPath("r.nes")));
    std::string reason;
    for (const QJsonValue step : row[1].toArray()) {
        const QString text = step.toString();
        if (text == "u" || text == "r")
            (void)(text == "u" ? rom.undoPick() : rom.redoPick());
        else if (text == "s")
            QVERIFY(rom.write(reason) == RomDocument::WriteResult::Written &&
                    (rom.setModified(false), true));
        else if (text == "o")
            QVERIFY(rom.open(folder.fsPath("r.nes")));
        else if (const qint64 index = text.section('=', 0, 0).toLongLong(); true)
            QCOMPARE(rom.applyPick(index, text.section('=', 1).at(0).toLatin1()),
                     index >= 0 && index < 8); // a pick outside the image is refused
    }
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(rom.data()), rom.length()),
             row[2].toString().toLatin1());
    QCOMPARE(folder.read("r.nes"), row[3].toString().toLatin1());
    QCOMPARE(rom.isModified(), row[4].toBool());
}

QTEST_APPLESS_MAIN(tst_RomDocument)
#include "tst_RomDocument.moc"
