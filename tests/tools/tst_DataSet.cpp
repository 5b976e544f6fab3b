#include "Cases.h"
#include "DataGenerator.h"
#include "GifWriter.h"
#include "NesPalette.h"
#include "TestFolder.h"
#include "document/NesColour.h"
#include "document/ProgramFolder.h"

#include <QImage>

#include <sys/stat.h>

using namespace tintwright;

// The generated program folder read back the way the program reads it, and the data tool.
class tst_DataSet : public QObject {
    Q_OBJECT

private slots:
    void generated();
    void gif_data() { addCases("windows", "gif"); }
    void gif();
    void tool_data() { addCases("windows", "tool"); }
    void tool();
};

void tst_DataSet::generated() {
    // A program folder built afresh from the shipped tables, so that nothing left by an
    // earlier build can stand in for what this one should make.
    TestFolder dir;
    const QString app = dir.path() + '/';
    QVERIFY(QDir(app + "Data/Palette").removeRecursively());
    for (const QString table : {"Data/BackLocations.txt", "Data/FrontLocations.txt"})
        QVERIFY(QFile::copy(QStringLiteral(TINTWRIGHT_APP_DIR "/") + table, app + table));
    QVERIFY(DataGenerator::build(app.toStdString(), false));
    const QImage chart(app + "Data/Palette/Palette.gif");
    QCOMPARE(chart.size(), QSize(384, 96)); // cells of 24 pixels, 360 twips
    for (int i = 0; i < 64; ++i) {
        const QImage tile(app + QStringLiteral("Data/Palette/%1.bmp").arg(i));
        QCOMPARE(tile.pixel(8, 8) & 0xFFFFFF, NesPalette::standard()[i]);
        QCOMPARE(chart.pixel((i % 16) * 24 + 12, (i / 16) * 24 + 12), tile.pixel(8, 8));
        // A dot marks the colours to avoid: $0D red, the blacks that repeat $0F grey.
        const bool repeat = QList{0x0E, 0x1D, 0x1E, 0x1F, 0x2E, 0x2F, 0x3E, 0x3F}.contains(i);
        QCOMPARE(chart.pixel((i % 16) * 24 + 20, (i / 16) * 24 + 20), i == 0x0D ? qRgb(230, 40, 40)
                                                                      : repeat ? qRgb(110, 110, 110)
                                                                               : tile.pixel(8, 8));
    }
    // The marker rings a tile and lets it show through; previews 1 to 159, no more.
    const QImage marker(app + "Data/Palette/Select.gif");
    QVERIFY(marker.width() > 41);
    QCOMPARE(qAlpha(marker.pixel(26, 26)), 0);
    QCOMPARE(qAlpha(marker.pixel(0, 0)), 255);
    QCOMPARE(dir.read("Data/Palette/Select.gif").left(6), "GIF89a"); // transparency needs it
    for (const QString folder : {"Back_Silver/", "Back_Ruby/", "Front_Silver/", "Front_Ruby/"}) {
        QCOMPARE(QDir(app + folder).entryList(QDir::Files).size(), 159);
        const QImage preview(app + folder + "159.gif");
        QVERIFY(preview.width() >= 40);
        QVERIFY(preview.width() <= 64);
        QCOMPARE(qAlpha(preview.pixel(0, 0)), 0);
    }
    // The demo ROM: every palette of both tables holds three colours, and every build makes
    // the same ROM, so a patch made against one applies to all.
    const QByteArray rom = dir.read("Demo.nes");
    QCOMPARE(rom.left(8), QByteArray("NES\x1a\x08\0\0\0", 8));
    const LocationTables tables = ProgramFolder::readTables(app.toStdString());
    for (const bool front : {false, true}) {
        QVERIFY(tables.of(front).rows() >= 160);
        for (const std::int32_t address : tables.of(front).addresses)
            for (int k = 0; k < 3; ++k)
                QVERIFY(NesColour::isValid(quint8(rom.at(address + k))));
    }
    // A palette up to the demo's last byte is made; one that would pass it is not.
    const LocationTables edges{{{131085, 131086}, {"last", "past"}, {1, 2}, {}}, {}};
    const QByteArray demo = DataGenerator::demoRom(edges);
    QCOMPARE(demo.size(), 131088);
    QCOMPARE(demo.right(3), QByteArray("\x0F\x12\x21"));
    QCOMPARE(QCryptographicHash::hash(rom, QCryptographicHash::Sha1).toHex(),
             "f7676c9d7d18a6b09ec5ef5f3b3ee4183ccfb921");
}

void tst_DataSet::gif() {
    QFETCH(QJsonObject, row);
    const int colours = row["colours"].toInt();
    const bool transparent = row["transparent"].toBool();
    // Drawn half opaque (alpha 128) or less (127): shown opaque, or as the transparent colour.
    QImage image(40, 30, QImage::Format_ARGB32), shown = image;
    for (int i = 0; i < 40 * 30; ++i) {
        const int c = i % (colours + int(transparent));
        shown.setPixel(i % 40, i / 40, c == colours ? 0u : qRgb(c % 256, c / 256 * 100, 50));
        image.setPixel(i % 40, i / 40,
                       c == colours ? qRgba(9, 9, 9, 127) : qRgba(c % 256, c / 256 * 100, 50, 128));
    }
    QByteArray gif;
    const Outcome made = GifWriter::encode(image, gif);
    QCOMPARE(bool(made), colours <= 256);
    if (!made)
        QCOMPARE(made.problem().reason(), "more than 256 colours");
    if (made) {
        QCOMPARE(gif.at(10) & 7, row["sizeField"].toInt());
        QCOMPARE(gif.at(11), '\0'); // the background is the first colour, as viewers expect
        QCOMPARE(QImage::fromData(gif).convertToFormat(QImage::Format_ARGB32), shown);
    }
}

void tst_DataSet::tool() {
    QFETCH(QJsonObject, row);
    QStringList arguments;
    for (const QJsonValue argument : row["args"].toArray())
        arguments << argument.toString();
    const int exitCode = row["exit"].toInt();
    TestFolder dir; // no Data/Palette yet: the tool makes it, or leaves none
    QVERIFY(QDir(dir.filePath("Data/Palette")).removeRecursively());
    for (int size : {191, 192, 193, 1536}) {
        QByteArray pal;
        for (int i = 0; i < size; ++i)
            pal += char(i * 7);
        dir.write(QStringLiteral("%1.pal").arg(size), pal);
    }
    QFile huge(dir.filePath("huge.pal"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30)); // sparse
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("pipe.pal")), 0600), 0);
    const bool blocked = row["name"].toString().contains("cannot be replaced");
    QVERIFY(!blocked || QDir(dir.path()).mkpath("Data/Palette/7.bmp"));
    dir.write("Data/BackLocations.txt", "x,A\r\n");
    dir.write("tintwright", {}); // a program, as the user may name it
    umask(022);
    QProcess tool;
    tool.start(QStringLiteral(TINTWRIGHT_DATA_TOOL), arguments.replaceInStrings("@", dir.path()));
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), exitCode);
    const QString said = tool.readAllStandardOutput() + tool.readAllStandardError();
    QVERIFY2(said.contains(row["says"].toString()), qPrintable(said));
    // All or nothing: every tile and the chart, readable by all under umask 022; or not one
    // file or folder more, nor a half-written one.
    const QStringList written =
        QDir(dir.filePath("Data/Palette")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QCOMPARE(written.size(), exitCode ? int(blocked) : 65);
    QCOMPARE(QFileInfo(dir.filePath("Data/Palette")).isDir(), !exitCode || blocked);
    QVERIFY(!QFile::exists(dir.filePath("Back_Silver")));
    const QImage tile(dir.filePath("Data/Palette/0.bmp"));
    if (exitCode == 0) {
        for (const QString name : {"Palette.gif", "0.bmp"})
            QCOMPARE(QFile::permissions(dir.filePath("Data/Palette/" + name)) & 0x7077,
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        QCOMPARE(tile.pixel(0, 0), qRgb(0, 7, 14));
        const QImage chart(dir.filePath("Data/Palette/Palette.gif"));
        QCOMPARE(chart.pixel(12, 12), tile.pixel(0, 0));
        QCOMPARE(chart.pixel(15 * 24 + 12, 3 * 24 + 12),
                 qRgb(189 * 7 % 256, 190 * 7 % 256, 191 * 7 % 256));
    }
}

QTEST_MAIN(tst_DataSet)
#include "tst_DataSet.moc"
