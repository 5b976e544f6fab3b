#include "DataGenerator.h"
#include "GifWriter.h"
#include "NesPalette.h"
#include "document/Rom.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tintwright;

// The generated program folder read back the way the program reads it, and the data tool.
class tst_DataSet : public QObject {
    Q_OBJECT

private slots:
    void pictures();
    void previews_data();
    void previews();
    void demoRom();
    void gif_data();
    void gif();
    void palette_data();
    void palette();

private:
    const QString m_app = QStringLiteral(TINTWRIGHT_APP_DIR);
};

void tst_DataSet::pictures() {
    const auto &colours = NesPalette::standard();
    const QImage chart(m_app + "/Data/Palette/Palette.gif");
    QCOMPARE(chart.size(), QSize(384, 96)); // cells of 24 pixels, 360 twips
    for (int i = 0; i < 64; ++i) {
        const QImage tile(m_app + QStringLiteral("/Data/Palette/%1.bmp").arg(i));
        QCOMPARE(tile.pixel(tile.width() / 2, tile.height() / 2) & 0xFFFFFF, colours[i]);
        QCOMPARE(chart.pixel((i % 16) * 24 + 12, (i / 16) * 24 + 12) & 0xFFFFFF, colours[i]);
    }
    // Bytes above 0x3F must have no picture: that is how a load catches them.
    QVERIFY(!QFile::exists(m_app + "/Data/Palette/64.bmp"));
    // The marker rings a tile and lets it show through.
    const QImage marker(m_app + "/Data/Palette/Select.gif");
    QVERIFY(marker.width() > 41 && marker.height() > 41);
    QCOMPARE(qAlpha(marker.pixel(marker.width() / 2, marker.height() / 2)), 0);
    QCOMPARE(qAlpha(marker.pixel(0, 0)), 255);
}

void tst_DataSet::previews_data() {
    QTest::addColumn<QString>("folder");
    for (const char *folder : {"Back_Silver", "Back_Ruby", "Front_Silver", "Front_Ruby"})
        QTest::newRow(folder) << QString::fromLatin1(folder);
}

void tst_DataSet::previews() {
    QFETCH(QString, folder);
    const QDir dir(m_app + QLatin1Char('/') + folder);
    QCOMPARE(dir.entryList(QDir::Files).size(), 159);
    for (int n : {1, 80, 159}) {
        const QImage image(dir.filePath(QStringLiteral("%1.gif").arg(n)));
        QVERIFY(image.width() >= 40 && image.width() <= 64);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }
    QVERIFY(!dir.exists(QStringLiteral("160.gif")));
}

void tst_DataSet::demoRom() {
    QFile file(m_app + "/Demo.nes");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray rom = file.readAll();
    QCOMPARE(rom.size(), 16 + 128 * 1024);
    QCOMPARE(rom.left(8), QByteArray("NES\x1a\x08\0\0\0", 8));
    // Every palette of both tables holds three colours, and names with commas survive.
    for (const char *name : {"Data/BackLocations.txt", "Data/FrontLocations.txt"}) {
        const LocationTable table =
            Rom::readLocationTable(Rom::readDataFile(m_app.toStdString(), name), name);
        QVERIFY(table.rows() >= 160);
        QVERIFY(std::any_of(table.names.begin(), table.names.end(),
                            [](const std::string &n) { return n.find(',') != n.npos; }));
        for (const std::int32_t address : table.addresses)
            for (int k = 0; k < 3; ++k)
                QVERIFY(quint8(rom.at(address + k)) <= 0x3F);
    }
    // Every build makes the same demo ROM, so a patch made against one applies to all.
    QCOMPARE(QCryptographicHash::hash(rom, QCryptographicHash::Sha1).toHex(),
             QByteArray("f7676c9d7d18a6b09ec5ef5f3b3ee4183ccfb921"));
}

void tst_DataSet::gif_data() {
    QTest::addColumn<int>("colours");
    QTest::addColumn<bool>("transparent");
    QTest::newRow("two colours") << 2 << false;
    QTest::newRow("three and a transparent one") << 3 << true;
    QTest::newRow("256") << 256 << false;
    QTest::newRow("255 and a transparent one") << 255 << true;
    QTest::newRow("257: too many") << 257 << false;
}

void tst_DataSet::gif() {
    QFETCH(int, colours);
    QFETCH(bool, transparent);
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int i = (y * image.width() + x) % (colours + int(transparent));
            image.setPixel(x, y, i == colours ? 0u : qRgb(i % 256, i / 256 * 100, 50));
        }
    QTemporaryDir dir;
    QString error;
    const bool written = GifWriter::write(image, dir.filePath("p.gif"), &error);
    QCOMPARE(written, colours <= 256);
    if (!written) {
        QCOMPARE(error, QStringLiteral("more than 256 colours"));
        return;
    }
    const QImage back = QImage(dir.filePath("p.gif")).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(back, image);
    QVERIFY(!GifWriter::write(image, dir.filePath("missing/p.gif"), &error));
    QVERIFY(!error.isEmpty());
}

void tst_DataSet::palette_data() {
    QTest::addColumn<QStringList>("arguments"); // @ stands for a scratch folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    QTest::newRow("64 colours") << QStringList{"palette", "@/192.pal", "@"} << 0 << "Rewrote";
    QTest::newRow("512 colours") << QStringList{"palette", "@/1536.pal", "@"} << 0 << "Rewrote";
    QTest::newRow("one byte short") << QStringList{"palette", "@/191.pal", "@"} << 1 << "192 bytes";
    QTest::newRow("one byte long") << QStringList{"palette", "@/193.pal", "@"} << 1 << "192 bytes";
    QTest::newRow("no such file") << QStringList{"palette", "@/none.pal", "@"} << 1 << "none.pal";
    QTest::newRow("not a program folder")
        << QStringList{"palette", "@/192.pal", "@/Data"} << 1 << "has no Data folder";
    QTest::newRow("no arguments") << QStringList{} << 2 << "usage";
    QTest::newRow("palette without a folder")
        << QStringList{"palette", "@/192.pal"} << 2 << "usage";
    QTest::newRow("build with too much") << QStringList{"build", "@", "@"} << 2 << "usage";
    QTest::newRow("unknown command") << QStringList{"paint", "@", "@"} << 2 << "usage";
}

void tst_DataSet::palette() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Data/Palette"));
    for (int size : {191, 192, 193, 1536}) {
        QByteArray pal(size, '\0');
        for (int i = 0; i < size; ++i)
            pal[i] = char(i * 7);
        QFile out(dir.filePath(QStringLiteral("%1.pal").arg(size)));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(pal) == size);
    }
    arguments.replaceInStrings("@", dir.path());
    QProcess tool;
    tool.start(QStringLiteral(TINTWRIGHT_DATA_TOOL), arguments);
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), exitCode);
    const QString output =
        QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
    QVERIFY2(output.contains(says), qPrintable(output));

    const QImage tile(dir.filePath("Data/Palette/5.bmp"));
    if (exitCode != 0) {
        QVERIFY(tile.isNull()); // nothing written
        return;
    }
    QCOMPARE(tile.pixel(0, 0) & 0xFFFFFF,
             QRgb(quint8(15 * 7) << 16 | quint8(16 * 7) << 8 | quint8(17 * 7)));
    const QImage chart(dir.filePath("Data/Palette/Palette.gif"));
    QCOMPARE(chart.pixel(5 * 24 + 12, 12), tile.pixel(0, 0));
    QCOMPARE(chart.pixel(63 % 16 * 24 + 12, 3 * 24 + 12) & 0xFFFFFF,
             QRgb(quint8(189 * 7) << 16 | quint8(190 * 7) << 8 | quint8(191 * 7)));
}

QTEST_MAIN(tst_DataSet)
#include "tst_DataSet.moc"
