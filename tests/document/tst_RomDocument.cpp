#include "document/RomDocument.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tintwright;

class tst_RomDocument : public QObject {
    Q_OBJECT

private slots:
    void open_data();
    void open();
    void failedOpenChangesNothing();
    void byteAccessStaysInside_data();
    void byteAccessStaysInside();
    void saveBeforeOpenDoesNothing();
    void save_data();
    void save();

private:
    static QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes);
    static QByteArray read(const QString &path);
};

QString tst_RomDocument::write(const QTemporaryDir &dir, const QString &name,
                               const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes);
    return path;
}

QByteArray tst_RomDocument::read(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_RomDocument::open_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens");
    QTest::newRow("one byte") << QByteArray("\x42", 1) << true;
    QTest::newRow("text file, no format test") << QByteArray("just some words\n") << true;
    QTest::newRow("zero bytes") << QByteArray() << false;
}

void tst_RomDocument::open() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    QTemporaryDir dir;
    const QString path = write(dir, "rom.nes", bytes);
    RomDocument rom;
    rom.setModified(true);
    std::string reason;
    QCOMPARE(rom.open(path.toStdString(), &reason), opens);
    if (opens) {
        QCOMPARE(rom.length(), int(bytes.size()));
        QCOMPARE(rom.readByte(0).value(), std::uint8_t(bytes[0]));
        QCOMPARE(QString::fromStdString(rom.path().string()), path);
        QVERIFY(!rom.isModified());
    } else {
        QVERIFY(!rom.hasImage());
        QVERIFY(rom.isModified());
        QVERIFY(!reason.empty());
    }
}

void tst_RomDocument::failedOpenChangesNothing() {
    QTemporaryDir dir;
    const QString good = write(dir, "good.nes", "ABC");
    RomDocument rom;
    QVERIFY(rom.open(good.toStdString()));
    rom.writeByte(1, 'x');
    rom.setModified(true);

    const QString empty = write(dir, "empty.nes", "");
    QVERIFY(QDir(dir.path()).mkdir("folder.nes"));
    for (const QString &bad :
         {empty, dir.filePath("missing.nes"), dir.filePath("folder.nes"), dir.path() + "/"}) {
        QVERIFY2(!rom.open(bad.toStdString()), qPrintable(bad));
        QCOMPARE(QString::fromStdString(rom.path().string()), good);
        QVERIFY(rom.isModified());
        QCOMPARE(rom.length(), 3);
        QCOMPARE(rom.readByte(1).value(), std::uint8_t('x'));
    }
}

void tst_RomDocument::byteAccessStaysInside_data() {
    QTest::addColumn<qint64>("index");
    QTest::addColumn<bool>("inside");
    QTest::newRow("first") << qint64(0) << true;
    QTest::newRow("last") << qint64(3) << true;
    QTest::newRow("one past") << qint64(4) << false;
    QTest::newRow("negative") << qint64(-1) << false;
    QTest::newRow("past 32 bits") << qint64(0x80000001LL) << false;
}

void tst_RomDocument::byteAccessStaysInside() {
    QFETCH(qint64, index);
    QFETCH(bool, inside);
    RomDocument none;
    QVERIFY(!none.readByte(index));
    QVERIFY(!none.writeByte(index, 1));

    QTemporaryDir dir;
    RomDocument rom;
    QVERIFY(rom.open(write(dir, "r.nes", "abcd").toStdString()));
    QCOMPARE(rom.readByte(index).has_value(), inside);
    QCOMPARE(rom.writeByte(index, 'Z'), inside);
    if (inside)
        QCOMPARE(rom.readByte(index).value(), std::uint8_t('Z'));
}

void tst_RomDocument::saveBeforeOpenDoesNothing() {
    RomDocument rom;
    rom.setModified(true);
    std::string reason;
    QCOMPARE(rom.write(reason), RomDocument::WriteResult::NothingOpen);
    QVERIFY(rom.isModified());
}

void tst_RomDocument::save_data() {
    QTest::addColumn<QString>("change"); // what happened on disk since the open
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("file grew: tail kept") << "grow" << true << QByteArray("Zbcdefgh");
    QTest::newRow("file deleted: created again") << "delete" << true << QByteArray("Zbcd");
    QTest::newRow("a folder where the file was") << "folder" << false << QByteArray();
    QTest::newRow("its folder deleted") << "no folder" << false << QByteArray();
}

void tst_RomDocument::save() {
    QFETCH(QString, change);
    QFETCH(bool, written);
    QFETCH(QByteArray, onDisk);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    const QString path = write(dir, "sub/r.nes", "abcd");
    RomDocument rom;
    QVERIFY(rom.open(path.toStdString()));
    rom.writeByte(0, 'Z');
    rom.setModified(true);
    if (change == "grow")
        write(dir, "sub/r.nes", "abcdefgh");
    else if (change == "delete" || change == "folder")
        QVERIFY(QFile::remove(path));
    if (change == "folder")
        QVERIFY(QDir(dir.path()).mkdir("sub/r.nes"));
    if (change == "no folder")
        QVERIFY(QDir(dir.filePath("sub")).removeRecursively());

    std::string reason;
    QCOMPARE(rom.write(reason),
             written ? RomDocument::WriteResult::Written : RomDocument::WriteResult::Failed);
    QCOMPARE(reason.empty(), written);
    // Writing never clears the flag: that waits until the user has been told.
    QVERIFY(rom.isModified());
    QCOMPARE(rom.readByte(0).value(), std::uint8_t('Z'));
    if (written)
        QCOMPARE(read(path), onDisk);
}

QTEST_APPLESS_MAIN(tst_RomDocument)
#include "tst_RomDocument.moc"
