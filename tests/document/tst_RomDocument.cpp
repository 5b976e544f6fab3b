#include "Cases.h"
#include "TestFolder.h"
#include "document/ByteBuffer.h"
#include "document/ChartGrid.h"
#include "document/RomDocument.h"
#include "document/SpritePalette.h"

#include <csignal>

#include <fcntl.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

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
    void mapped();
    void load_data() { addCases("readers", "load"); }
    void load();
    void placeOf_data() { addCases("readers", "placeOf"); }
    void placeOf();
    void pickIndex_data() { addCases("readers", "pickIndex"); }
    void pickIndex();
    void chartPick_data() { addCases("readers", "chartPick"); }
    void chartPick();
    void focusCell_data() { addCases("readers", "focusCell"); }
    void focusCell();
    void picks_data() { addCases("readers", "picks"); }
    void picks();
};

namespace {

QByteArray image(const RomDocument &rom) {
    return QByteArray(reinterpret_cast<const char *>(rom.data()), rom.length());
}

} // namespace

void tst_RomDocument::open() {
    QFETCH(QJsonObject, row);
    const QString file = row["file"].toString();
    const bool opens = row["opens"].toBool();
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
    const Outcome opened = rom.open(folder.fsPath(file));
    QCOMPARE(bool(opened), opens);
    // A failed open changes nothing and says why; a good one takes every byte.
    const QByteArray held = opens ? folder.read(file) : "AxC";
    QCOMPARE(image(rom), held);
    // The ROM is the editor's own copy: a file cut short by another program changes nothing.
    QVERIFY(!opens || QFile::resize(folder.filePath(file), 0));
    QCOMPARE(image(rom), held);
    QCOMPARE(rom.path(), folder.fsPath(opens ? file : "old.nes"));
    QCOMPARE(rom.isModified(), !opens);
    QVERIFY(opens || !opened.problem().reason().empty());
}

void tst_RomDocument::save() {
    QFETCH(QJsonObject, row);
    const QString change = row["change"].toString();
    TestFolder folder;
    folder.write("sub/r.nes", "abcd");
    const QByteArray file = folder.filePath("sub/r.nes").toUtf8();
    RomDocument rom;
    QVERIFY(rom.write()); // nothing open, nothing to write
    QVERIFY(rom.open(folder.fsPath("sub/r.nes")) && rom.writeByte(0, 'Z'));
    rom.setModified(true);
    QCOMPARE(::chmod(file, 0644), 0);
    if (change == "grow")
        folder.write("sub/r.nes", "abcdefgh");
    if (change == "delete" || change == "folder" || change == "pipe" || change == "link")
        QVERIFY(QFile::remove(folder.filePath("sub/r.nes")));
    if (change == "folder")
        QVERIFY(QDir(folder.path()).mkdir("sub/r.nes"));
    if (change == "pipe") // a save must neither block on it nor call it saved
        QCOMPARE(mkfifo(file, 0600), 0);
    if (change == "no folder")
        QVERIFY(QDir(folder.filePath("sub")).removeRecursively());
    if (change == "link") {
        folder.write("sub/real.nes", "abcd");
        QCOMPARE(::symlink("real.nes", file), 0);
    }
    if (change == "hard link")
        QCOMPARE(::link(file, file + ".2"), 0);
    // One attribute with a value, one empty: both must reach the new file.
    const bool attributes = ::setxattr(file, "user.tintwright", "kept", 4, 0) == 0 &&
                            ::setxattr(file, "user.e", "", 0, 0) == 0;
    if (change == "mode")
        QCOMPARE(::chmod(file, 04640), 0);
    // Someone who is not root, in folders anyone may enter.
    const bool other = change == "read-only" || change == "locked folder";
    const uid_t user = geteuid();
    if (other) {
        QCOMPARE(::chmod(file, change == "read-only" ? 0444 : 0666), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder.path()), 0777), 0);
        QCOMPARE(::chmod(file.chopped(6), change == "read-only" ? 0777 : 0555), 0);
        QVERIFY(user != 0 || seteuid(65534) == 0);
    }
    struct rlimit limit {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const struct rlimit full { 2, limit.rlim_max };
    if (change == "full") {
        std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &full), 0);
    }
    struct stat before {};
    const bool existed = ::stat(file, &before) == 0;
    const Outcome saved = rom.write();
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    QVERIFY(!other || seteuid(user) == 0);
    QCOMPARE(bool(saved), row["saved"].toBool());
    QVERIFY(saved || !saved.problem().reason().empty());
    if (change != "pipe") // which would wait for a writer
        QCOMPARE(folder.read("sub/r.nes"), row["onDisk"].toString().toLatin1());
    struct stat info {};
    if (row.contains("mode")) {
        QCOMPARE(::stat(file, &info), 0);
        QCOMPARE(QString::number(info.st_mode & 07777, 8), row["mode"].toString());
    }
    char value[8] = {};
    QVERIFY(!attributes || !saved ||
            (::getxattr(file, "user.tintwright", value, 8) == 4 &&
             ::getxattr(file, "user.e", value, 8) == 0));
    // A new file takes the old one's place unless that would lose a second name of it.
    QVERIFY(!saved || !existed || ::stat(file, &info) != 0 ||
            (info.st_ino == before.st_ino) == row["inPlace"].toBool());
    QVERIFY(change != "link" || QFileInfo(folder.filePath("sub/r.nes")).isSymLink());
    QVERIFY(change != "hard link" || folder.read("sub/r.nes.2") == "Zbcd");
    QCOMPARE(QDir(folder.filePath("sub")).entryList({"*tintwright*"}, QDir::Hidden | QDir::Files),
             QStringList());
    // Writing never clears the flag: that waits until the user has been told.
    QVERIFY(rom.isModified());
    QCOMPARE(rom.readByte(0).value_or(0), std::uint8_t('Z'));
}

// A file a command reads once is mapped: its bytes, changed only in memory; nothing to map in an
// empty file or a pipe.
void tst_RomDocument::mapped() {
    TestFolder folder;
    folder.write("r.nes", "abcde");
    const int file = ::open(QFile::encodeName(folder.filePath("r.nes")), O_RDONLY);
    int pipe[2] = {-1, -1};
    QVERIFY(file >= 0 && ::pipe(pipe) == 0);
    {
        const ByteBuffer bytes = ByteBuffer::mapped(file, 5);
        QVERIFY(bytes);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes.get()), 5), "abcde");
        bytes[0] = 'Z';
        QVERIFY(!ByteBuffer::mapped(file, 0) && !ByteBuffer::mapped(pipe[0], 5));
    }
    QCOMPARE(folder.read("r.nes"), "abcde");
    for (const int fd : {file, pipe[0], pipe[1]})
        ::close(fd);
}

void tst_RomDocument::load() {
    QFETCH(QJsonObject, row);
    RomDocument rom;
    QVERIFY(!rom.readByte(0) && !rom.writeByte(0, 1));
    QVERIFY(rom.assign(reinterpret_cast<const std::uint8_t *>("\x01\x3F\x40\x02\x03\x04\x05\x06"),
                       8, "r.nes"));
    QVERIFY(!rom.assign(rom.data(), 0, "empty.nes"));
    QCOMPARE(rom.length(), 8);
    const auto load =
        SpritePalette::load(rom, row["address"].toInt(), row["position"].toInt(),
                            row["link"].toBool(), row["other"].toInt(), row["otherCount"].toInt());
    QJsonArray colours;
    for (const std::uint8_t colour : load.colours)
        colours.append(colour);
    QCOMPARE(colours, row["colours"].toArray());
    QCOMPARE(load.preview.value_or(-1), row["preview"].toInt(-1));
    QCOMPARE(load.linked.value_or(-1), row["linked"].toInt(-1));
}

void tst_RomDocument::placeOf() {
    QFETCH(QJsonObject, row);
    const LocationTables tables{{{16, 19, 17}, {"a", "b", "c"}, {1, 2, 3}, {}},
                                {{16, 40}, {"d", "e"}, {1, 2}, {}}};
    const auto place = SpritePalette::placeOf(tables, row["index"].toInt());
    QJsonValue got;
    if (place)
        got = QJsonArray{place->front ? "front" : "back", place->row, place->tile};
    QCOMPARE(got, row["place"]);
}

void tst_RomDocument::pickIndex() {
    QFETCH(QJsonObject, row);
    RomDocument rom;
    QVERIFY(rom.assign(reinterpret_cast<const std::uint8_t *>("ABCDEFGH"), 8, "r.nes"));
    const auto index = SpritePalette::pickIndex(rom, row["tile"].toInt(), row["back"].toInt(),
                                                row["front"].toInt());
    QCOMPARE(index.value_or(-1), row["index"].toInt());
    // Writing there stays inside the image.
    QCOMPARE(rom.writeByte(index.value_or(-1), 'z'), index.has_value());
}

void tst_RomDocument::chartPick() {
    QFETCH(QJsonObject, row);
    const QJsonArray at = row["at"].toArray();
    QVERIFY(!ColourPick().release(0, 0)); // nothing before the first tile click
    ColourPick pick;
    pick.press(360, 0); // ignored: no tile yet
    pick.selectTile(4);
    QVERIFY(pick.hasTile());
    QCOMPARE(std::pair(pick.selectedTile(), int(pick.pickedColour())), std::pair(4, 0));
    pick.press(float(at[0].toDouble()), float(at[1].toDouble()));
    const auto colour = pick.release(float(at[2].toDouble()), float(at[3].toDouble()));
    QCOMPARE(colour ? int(*colour) : -1, row["colour"].toInt());
}

void tst_RomDocument::focusCell() {
    QFETCH(QJsonObject, row);
    const QStringList keys{"Left", "Right", "Up", "Down", "Home", "End"};
    const auto key = ChartGrid::Key(keys.indexOf(row["key"].toString()));
    QCOMPARE(ChartGrid::moved(row["cell"].toInt(), key), row["to"].toInt());
}

void tst_RomDocument::picks() {
    QFETCH(QJsonObject, row);
    TestFolder folder;
    folder.write("r.nes", "ABCDEFGH");
    RomDocument rom;
    QVERIFY(rom.open(folder.fsPath("r.nes")));
    for (const QJsonValue step : row["steps"].toArray()) {
        const QString text = step.toString();
        if (text == "u" || text == "r") {
            (void)(text == "u" ? rom.undoPick() : rom.redoPick());
        } else if (text == "s") {
            QVERIFY(rom.write());
            rom.setModified(false);
        } else if (text == "o") {
            QVERIFY(rom.open(folder.fsPath("r.nes")));
        } else {
            const qint64 index = text.section('=', 0, 0).toLongLong();
            // A pick outside the image is refused.
            QCOMPARE(rom.applyPick(index, text.section('=', 1).at(0).toLatin1()),
                     index >= 0 && index < 8);
        }
    }
    QCOMPARE(image(rom), row["image"].toString().toLatin1());
    QCOMPARE(folder.read("r.nes"), row["file"].toString().toLatin1());
    QCOMPARE(rom.isModified(), row["modified"].toBool());
}

QTEST_APPLESS_MAIN(tst_RomDocument)
#include "tst_RomDocument.moc"
