#include "DataGenerator.h"
#include "NesPalette.h"
#include "document/Rom.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace tintwright;

// Reads the generated program folder back the way the program will.
class tst_DataSet : public QObject {
    Q_OBJECT

private slots:
    void tilesMatchThePalette();
    void chartGeometry();
    void markerIsHollowAndLarger();
    void previews_data();
    void previews();
    void demoRomHoldsEveryPalette_data();
    void demoRomHoldsEveryPalette();
    void applyPal_data();
    void applyPal();

private:
    const QString m_app = QStringLiteral(TINTWRIGHT_APP_DIR);
};

void tst_DataSet::tilesMatchThePalette() {
    const auto &colours = NesPalette::standard();
    for (int i = 0; i < 64; ++i) {
        const QImage tile(m_app + QStringLiteral("/Data/Palette/%1.bmp").arg(i));
        QVERIFY2(!tile.isNull(), qPrintable(QString::number(i)));
        QCOMPARE(tile.pixel(tile.width() / 2, tile.height() / 2) & 0xFFFFFF, colours[i]);
    }
    // Bytes above 0x3F must have no picture: that is how they are caught.
    QVERIFY(!QFile::exists(m_app + QStringLiteral("/Data/Palette/64.bmp")));
}

void tst_DataSet::chartGeometry() {
    const QImage chart(m_app + QStringLiteral("/Data/Palette/Palette.gif"));
    QCOMPARE(chart.size(), QSize(384, 96));
    const auto &colours = NesPalette::standard();
    for (int i = 0; i < 64; ++i)
        QCOMPARE(chart.pixel((i % 16) * 24 + 12, (i / 16) * 24 + 12) & 0xFFFFFF, colours[i]);
}

void tst_DataSet::markerIsHollowAndLarger() {
    const QImage marker(m_app + QStringLiteral("/Data/Palette/Select.gif"));
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

void tst_DataSet::demoRomHoldsEveryPalette_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("rows");
    QTest::newRow("back") << "Data/BackLocations.txt" << 165;
    QTest::newRow("front") << "Data/FrontLocations.txt" << 160;
}

void tst_DataSet::demoRomHoldsEveryPalette() {
    QFETCH(QString, table);
    QFETCH(int, rows);
    const LocationTable locations = Rom::readLocationTable(
        Rom::readDataFile(m_app.toStdString(), table.toStdString()), table.toStdString());
    QCOMPARE(locations.rows(), rows);
    bool comma = false;
    for (const std::string &name : locations.names)
        comma = comma || name.find(',') != std::string::npos;
    QVERIFY(comma);

    QFile file(m_app + QStringLiteral("/Demo.nes"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray rom = file.readAll();
    QCOMPARE(rom.size(), 16 + 128 * 1024);
    for (int i = 0; i < rows; ++i) {
        const qint64 address = locations.addresses[i];
        QVERIFY(address >= 0 && address + 2 < rom.size());
        for (int k = 0; k < 3; ++k)
            QVERIFY2(quint8(rom[address + k]) <= 0x3F, qPrintable(QStringLiteral("row %1").arg(i)));
    }
}

void tst_DataSet::applyPal_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("64 colours") << 192 << true;
    QTest::newRow("512 colours") << 1536 << true;
    QTest::newRow("one byte short") << 191 << false;
    QTest::newRow("empty") << 0 << false;
}

void tst_DataSet::applyPal() {
    QFETCH(int, size);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Data/Palette"));
    QByteArray pal(size, '\0');
    for (int i = 0; i < size; ++i)
        pal[i] = char(i * 7);
    const QString palFile = dir.filePath("mine.pal");
    QFile out(palFile);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(pal);
    out.close();

    QString error;
    QCOMPARE(DataGenerator::applyPal(palFile, dir.path(), &error), accepted);
    const QImage tile(dir.filePath("Data/Palette/5.bmp"));
    if (!accepted) {
        QVERIFY(error.contains(QStringLiteral("192 bytes")));
        QVERIFY(tile.isNull()); // nothing written
        return;
    }
    QCOMPARE(tile.pixel(0, 0) & 0xFFFFFF,
             QRgb(quint8(15 * 7) << 16 | quint8(16 * 7) << 8 | quint8(17 * 7)));
    const QImage chart(dir.filePath("Data/Palette/Palette.gif"));
    QCOMPARE(chart.pixel(5 * 24 + 12, 12), tile.pixel(0, 0));
}

QTEST_MAIN(tst_DataSet)
#include "tst_DataSet.moc"
