#include "document/DataFileError.h"
#include "document/FieldError.h"
#include "document/FieldReader.h"
#include "document/ProgramState.h"
#include "document/Rom.h"
#include "document/TextEncoding.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace tintwright;

using Rows = QList<QPair<int, QString>>;

class tst_FieldReader : public QObject {
    Q_OBJECT

private slots:
    void locationTable_data();
    void locationTable();
    void brokenTable_data();
    void brokenTable();
    void fileTypeFilter_data();
    void fileTypeFilter();
    void loadTablesReadsAllThreeFiles();
    void loadTablesNamesMissingFile();
    void encoding_data();
    void encoding();
};

static Rows rowsOf(const LocationTable &table) {
    Rows rows;
    for (int i = 0; i < table.rows(); ++i)
        rows.append({table.addresses[i], QString::fromStdString(table.names[i])});
    return rows;
}

void tst_FieldReader::locationTable_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Rows>("rows");

    const Rows two{{100, "First"}, {200, "Second, with comma"}};
    QTest::newRow("crlf after each line")
        << QByteArray("100,First\r\n200,\"Second, with comma\"\r\n") << two;
    QTest::newRow("no break after last line")
        << QByteArray("100,First\r\n200,\"Second, with comma\"") << two;
    QTest::newRow("lone lf") << QByteArray("100,First\n200,\"Second, with comma\"\n") << two;
    QTest::newRow("lone cr") << QByteArray("100,First\r200,\"Second, with comma\"\r") << two;
    QTest::newRow("breaks and commas interchangeable")
        << QByteArray("100\r\nFirst,200,\"Second, with comma\"") << two;
    QTest::newRow("blanks before fields, trailing blanks trimmed")
        << QByteArray("  100 ,  First  \r\n\t200, \"Second, with comma\"  \r\n") << two;
    QTest::newRow("text after closing quote dropped")
        << QByteArray("100,\"First\"junk\r\n200,\"Second, with comma\"\r\n") << two;
    QTest::newRow("empty file") << QByteArray() << Rows();
    QTest::newRow("empty name") << QByteArray("5,\r\n") << Rows{{5, ""}};
    QTest::newRow("quoted empty name") << QByteArray("5,\"\"") << Rows{{5, ""}};
    QTest::newRow("unclosed quote runs to the end") << QByteArray("5,\"Open") << Rows{{5, "Open"}};
    QTest::newRow("hex addresses") << QByteArray("&H1A2B,A\r\n0x1a2b,B\r\n$7FFFFFFF,C\r\n")
                                   << Rows{{0x1A2B, "A"}, {0x1A2B, "B"}, {0x7FFFFFFF, "C"}};
    QTest::newRow("negative address kept") << QByteArray("-3,Low") << Rows{{-3, "Low"}};
}

void tst_FieldReader::locationTable() {
    QFETCH(QByteArray, text);
    QFETCH(Rows, rows);
    QCOMPARE(rowsOf(Rom::readLocationTable(text.toStdString(), "Data/T.txt")), rows);
}

void tst_FieldReader::brokenTable_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    QTest::newRow("blank line at end")
        << QByteArray("1,A\r\n2,B\r\n\r\n") << 3 << "palette address is missing";
    QTest::newRow("address without name")
        << QByteArray("1,A\r\n2") << 2 << "a palette address with no sprite name";
    QTest::newRow("address and break, no name")
        << QByteArray("1,A\r\n2\r\n") << 2 << "a palette address with no sprite name";
    QTest::newRow("trailing blanks start a record")
        << QByteArray("1,A\r\n  ") << 2 << "ends where a palette address";
    QTest::newRow("word as address")
        << QByteArray("1,A\r\nabc,B\r\n") << 2 << "\"abc\" is not a number";
    QTest::newRow("too large") << QByteArray("2147483648,A") << 1 << "outside the range";
    QTest::newRow("too small") << QByteArray("-2147483649,A") << 1 << "outside the range";
    QTest::newRow("hex too large") << QByteArray("&H80000000,A") << 1 << "not a number";
    QTest::newRow("blank inside number") << QByteArray("1 2,A") << 1 << "not a number";
    QTest::newRow("plus and minus") << QByteArray("+-5,A") << 1 << "not a number";
    QTest::newRow("bare hex prefix") << QByteArray("0x,A") << 1 << "not a number";
    QTest::newRow("signed hex") << QByteArray("-0x10,A") << 1 << "not a number";
    QTest::newRow("nine hex digits") << QByteArray("&H000000001,A") << 1 << "not a number";
    QTest::newRow("fraction") << QByteArray("1.5,A") << 1 << "not a number";
    QTest::newRow("exponent") << QByteArray("1e3,A") << 1 << "not a number";
    QTest::newRow("line counted through quoted break")
        << QByteArray("1,\"two\r\nlines\"\r\nx,B") << 3 << "not a number";
}

void tst_FieldReader::brokenTable() {
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, reason);
    try {
        Rom::readLocationTable(text.toStdString(), "Data/BackLocations.txt");
        QFAIL("accepted a broken table");
    } catch (const DataFileError &error) {
        QCOMPARE(error.line(), line);
        const QString what = QString::fromStdString(error.what());
        QVERIFY2(what.startsWith(QStringLiteral("Data/BackLocations.txt, line %1: ").arg(line)),
                 qPrintable(what));
        QVERIFY2(what.contains(reason), qPrintable(what));
    }
}

void tst_FieldReader::fileTypeFilter_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected"); // 0 false, 1 true, -1 refused
    QTest::newRow("0") << QByteArray("0\r\n") << 0;
    QTest::newRow("1") << QByteArray("1") << 1;
    QTest::newRow("255") << QByteArray("255\r\n") << 1;
    QTest::newRow("0.4") << QByteArray("0.4") << 0;
    QTest::newRow("0.5 rounds to even 0") << QByteArray("0.5") << 0;
    QTest::newRow("1.5 rounds to even 2") << QByteArray("1.5") << 1;
    QTest::newRow("255.4") << QByteArray("255.4") << 1;
    QTest::newRow("255.5 rounds to 256") << QByteArray("255.5") << -1;
    QTest::newRow("256") << QByteArray("256") << -1;
    QTest::newRow("-1") << QByteArray("-1") << -1;
    QTest::newRow("word") << QByteArray("yes") << -1;
    QTest::newRow("empty file") << QByteArray() << -1;
    QTest::newRow("blank line") << QByteArray("\r\n") << -1;
    QTest::newRow("quoted 1") << QByteArray("\"1\"") << 1;
}

void tst_FieldReader::fileTypeFilter() {
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    try {
        const bool flag = Rom::readFileTypeFilter(text.toStdString(), "Data/FileTypeFilter.txt");
        QCOMPARE(int(flag), expected);
    } catch (const DataFileError &error) {
        QVERIFY2(expected == -1, error.what());
        QCOMPARE(error.line(), 1);
    }
}

static void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void tst_FieldReader::loadTablesReadsAllThreeFiles() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Data"));
    writeFile(dir.filePath("Data/BackLocations.txt"), "10,\"A\"\r\n20,\"B\"\r\n");
    writeFile(dir.filePath("Data/FrontLocations.txt"), ""); // empty: still read the filter
    writeFile(dir.filePath("Data/FileTypeFilter.txt"), "1\r\n");
    ProgramState state;
    state.programFolder = dir.path().toStdString();
    Rom::Load_Tables(state);
    QCOMPARE(state.backLocations.rows(), 2);
    QCOMPARE(state.frontLocations.rows(), 0);
    QVERIFY(state.fileTypeFilter);
}

void tst_FieldReader::loadTablesNamesMissingFile() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Data"));
    writeFile(dir.filePath("Data/BackLocations.txt"), "10,A\r\n");
    ProgramState state;
    state.programFolder = dir.path().toStdString();
    try {
        Rom::Load_Tables(state);
        QFAIL("started without FrontLocations.txt");
    } catch (const DataFileError &error) {
        QCOMPARE(QString::fromStdString(error.file()), QStringLiteral("Data/FrontLocations.txt"));
    }
}

void tst_FieldReader::encoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("Plain") << "Plain";
    QTest::newRow("utf-8 kept") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac")
                                << QString::fromUtf8("Café €");
    QTest::newRow("1252 e acute") << QByteArray("Caf\xe9") << QString::fromUtf8("Café");
    QTest::newRow("1252 euro and quotes") << QByteArray("\x80\x93\x94") << QString::fromUtf8("€“”");
    QTest::newRow("truncated utf-8 is 1252") << QByteArray("a\xc3") << QString::fromUtf8("aÃ");
    QTest::newRow("overlong is 1252") << QByteArray("\xc0\xaf") << QString::fromUtf8("À¯");
}

void tst_FieldReader::encoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(TextEncoding::toUtf8(bytes.toStdString())), text);
}

QTEST_APPLESS_MAIN(tst_FieldReader)
#include "tst_FieldReader.moc"
