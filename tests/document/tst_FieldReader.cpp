#include "TestFolder.h"
#include "document/DataFileError.h"
#include "document/DefaultPath.h"
#include "document/ManualText.h"
#include "document/Rom.h"
#include "document/TextEncoding.h"

#include <QtTest>

using namespace tintwright;

// The Data files as start-up reads them: location tables, the file type filter, the default
// folder, the manual, and the text encodings they may come in.
class tst_FieldReader : public QObject {
    Q_OBJECT

private slots:
    void locationTable_data();
    void locationTable();
    void fileTypeFilter_data();
    void fileTypeFilter();
    void loadTables();
    void encoding_data();
    void encoding();
    void manualLines_data();
    void manualLines();
    void defaultFolder_data();
    void defaultFolder();
};

void tst_FieldReader::locationTable_data() {
    QTest::addColumn<QByteArray>("text");
    // Rows as "address name|address name", or the start of "line N: reason" when refused.
    QTest::addColumn<QString>("expected");
    const QString two = QStringLiteral("100 First|200 Second, with comma");
    QTest::newRow("CR LF") << QByteArray("100,First\r\n200,\"Second, with comma\"\r\n") << two;
    QTest::newRow("no break at the end")
        << QByteArray("100,First\r\n200,\"Second, with comma\"") << two;
    QTest::newRow("lone LF") << QByteArray("100,First\n200,\"Second, with comma\"\n") << two;
    QTest::newRow("lone CR") << QByteArray("100,First\r200,\"Second, with comma\"\r") << two;
    QTest::newRow("breaks for commas")
        << QByteArray("100\r\nFirst,200,\"Second, with comma\"") << two;
    QTest::newRow("blanks") << QByteArray(
                                   "  100 ,  First \t\r\n\t200, \"Second, with comma\"  \r\n")
                            << two;
    QTest::newRow("after a closing quote")
        << QByteArray("100,\"First\"junk\r\n200,\"Second, with comma\"x,300,\"Third\" \r\n")
        << two + "|300 Third";
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("empty names") << QByteArray("5,\r\n6,\"\"") << "5 |6 ";
    QTest::newRow("unclosed quote") << QByteArray("5,\"Open\r\n7,x") << "5 Open\r\n7,x";
    QTest::newRow("hexadecimal")
        << QByteArray("&H1A2B,A\r\n0x1a2b,B\r\n$7FFFFFFF,C\r\n&hff,D\r\n0XFF,E\r\n$0,F")
        << "6699 A|6699 B|2147483647 C|255 D|255 E|0 F";
    QTest::newRow("signs, range ends")
        << QByteArray("-3,Low\r\n+7,Up\r\n-2147483648,Min\r\n2147483647,Max")
        << "-3 Low|7 Up|-2147483648 Min|2147483647 Max";
    QTest::newRow("blank line at the end")
        << QByteArray("1,A\r\n2,B\r\n\r\n") << "line 3: the palette address is missing";
    QTest::newRow("no name") << QByteArray("1,A\r\n2")
                             << "line 2: a palette address with no sprite name";
    QTest::newRow("break, no name")
        << QByteArray("1,A\r\n2\r\n") << "line 2: a palette address with no sprite name";
    QTest::newRow("blanks at the end")
        << QByteArray("1,A\r\n  ") << "line 2: the file ends where a palette address";
    QTest::newRow("word") << QByteArray("1,A\r\nabc,B")
                          << "line 2: palette address \"abc\" is not a number";
    for (const char *text : {"1 2", "+-5", "-", "+", "0x", "$", "&H", "-0x10", "&H000000001",
                             "0x1G", "1.5", "1e3", "9a"})
        QTest::newRow(text)
            << QByteArray(text) + ",A"
            << QStringLiteral("line 1: palette address \"%1\" is not a number").arg(text);
    for (const char *text : {"2147483648", "-2147483649", "+2147483648", "99999999999"})
        QTest::newRow(text)
            << QByteArray(text) + ",A"
            << QStringLiteral("line 1: palette address \"%1\" is outside the range").arg(text);
    QTest::newRow("hex past the range")
        << QByteArray("1,A\n&H80000000,B") << "line 2: palette address \"&H8";
    QTest::newRow("quoted break") << QByteArray("1,\"two\r\nlines\"\r\nx,B")
                                  << "line 3: palette address \"x\"";
    QTest::newRow("CR and LF count")
        << QByteArray("1,A\r2,B\n3,\"C\rD\"\nx,E") << "line 5: palette address \"x\"";
}

void tst_FieldReader::locationTable() {
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    try {
        const LocationTable table = Rom::readLocationTable(text.toStdString(), "Data/T.txt");
        QStringList rows;
        for (int i = 0; i < table.rows(); ++i)
            rows << QString::number(table.addresses[i]) + ' ' +
                        QString::fromStdString(table.names[i]);
        QCOMPARE(table.names.size(), table.addresses.size());
        QCOMPARE(rows.join('|'), expected);
    } catch (const DataFileError &error) {
        const QString got =
            QStringLiteral("line %1: %2").arg(error.line()).arg(error.reason().c_str());
        QVERIFY2(expected.startsWith("line ") && got.startsWith(expected), qPrintable(got));
        QCOMPARE(QString::fromStdString(error.what()), "Data/T.txt, " + got);
    }
}

void tst_FieldReader::fileTypeFilter_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected"); // "0", "1", or the start of the refusal
    for (const char *zero : {"0\r\n", "0.4", "0.5", "-0.4", ".5", "\"0\""})
        QTest::newRow(zero) << QByteArray(zero) << "0";
    for (const char *one : {"1", "255\r\n", "1.5", "2.5", "255.4", "+1", "1.", "\"1\"", " 7 "})
        QTest::newRow(one) << QByteArray(one) << "1";
    for (const char *out : {"255.5", "256", "-1", "-0.5001", "1000000.4", "99999999999"})
        QTest::newRow(out) << QByteArray(out)
                           << QStringLiteral("\"%1\" is outside 0 to 255").arg(out);
    for (const char *word : {"yes", "1e3", "1.2.3", ".", "-", "0x", ""})
        QTest::newRow(word) << QByteArray(word) + "\r\n"
                            << QStringLiteral("\"%1\" is not a number").arg(word);
    QTest::newRow("empty file") << QByteArray() << "the file holds no value";
}

void tst_FieldReader::fileTypeFilter() {
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    try {
        QCOMPARE(QString::number(Rom::readFileTypeFilter(text.toStdString(), "F.txt")), expected);
    } catch (const DataFileError &error) {
        QVERIFY2(QString::fromStdString(error.reason()).startsWith(expected), error.what());
        QCOMPARE(error.line(), 1);
    }
}

void tst_FieldReader::loadTables() {
    TestFolder folder;
    folder.writeTables("10,\"A\"\r\n20,\"B\"\r\n", "");
    folder.write("Data/FileTypeFilter.txt", "1\r\n");
    ProgramState state = folder.state();
    Rom::Load_Tables(state);
    QCOMPARE(state.backLocations.addresses, (std::vector<std::int32_t>{10, 20}));
    QCOMPARE(state.frontLocations.rows(), 0); // an empty table, and the next file is still read
    QVERIFY(state.fileTypeFilter);
    // Each file is named when it cannot be read, in the order they are read.
    for (const char *name :
         {"Data/FileTypeFilter.txt", "Data/FrontLocations.txt", "Data/BackLocations.txt"}) {
        QVERIFY(QFile::remove(folder.filePath(name)));
        try {
            Rom::Load_Tables(state);
            QFAIL("started without a table");
        } catch (const DataFileError &error) {
            QCOMPARE(error.file(), std::string(name));
            QVERIFY(error.reason().starts_with("the file cannot be read ("));
        }
    }
}

void tst_FieldReader::encoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    // Valid UTF-8 stays as it is, up to the last code point and the encoding's limits...
    for (const char *utf8 : {"Plain", "Caf\xc3\xa9 \xe2\x82\xac", "\xdf\xbf\xe0\xa0\x80",
                             "\xef\xbf\xbf\xf0\x90\x80\x80", "\xf4\x8f\xbf\xbf"})
        QTest::newRow(utf8) << QByteArray(utf8) << QString::fromUtf8(utf8);
    // ...anything else is Windows-1252, where five bytes have no character and stay controls.
    QTest::newRow("e acute") << QByteArray("Caf\xe9") << QString::fromUtf8("Café");
    QTest::newRow("0x80 to 0xA0") << QByteArray("\x80\x81\x93\x94\x9f\xa0")
                                  << QString::fromUtf8("€\xc2\x81“”Ÿ\xc2\xa0");
    QTest::newRow("past U+10FFFF")
        << QByteArray("\xf4\x90\x80\x80") << QString::fromUtf8("ô\xc2\x90€€");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QString::fromUtf8("í\xc2\xa0€");
    QTest::newRow("overlong 2") << QByteArray("\xc0\xaf") << QString::fromUtf8("À¯");
    QTest::newRow("overlong 3") << QByteArray("\xe0\x9f\xbf") << QString::fromUtf8("àŸ¿");
    QTest::newRow("overlong 4") << QByteArray("\xf0\x8f\xbf\xbf")
                                << QString::fromUtf8("ð\xc2\x8f¿¿");
    QTest::newRow("cut short") << QByteArray("a\xe2\x82") << QString::fromUtf8("aâ‚");
    QTest::newRow("bad continuation") << QByteArray("\xc3(") << QString::fromUtf8("Ã(");
    QTest::newRow("five-byte lead") << QByteArray("\xf8\x88") << QString::fromUtf8("øˆ");
}

void tst_FieldReader::encoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const std::string utf8 = TextEncoding::toUtf8(bytes.toStdString());
    QCOMPARE(QString::fromStdString(utf8), text);
    QVERIFY(TextEncoding::isValidUtf8(utf8));
}

void tst_FieldReader::manualLines_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("shown");
    const QByteArray abc("a\r\nb\r\nc\r\n");
    QTest::newRow("CR LF, none at the end") << QByteArray("a\r\nb\r\nc") << abc;
    QTest::newRow("CR LF after every line") << abc << abc;
    QTest::newRow("lone LF") << QByteArray("a\nb\nc\n") << abc;
    QTest::newRow("lone CR") << QByteArray("a\rb\rc") << abc;
    QTest::newRow("blank lines kept")
        << QByteArray("a\n\r\r\nb") << QByteArray("a\r\n\r\n\r\nb\r\n");
    QTest::newRow("LF CR is two breaks") << QByteArray("\n\r") << QByteArray("\r\n\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("Windows-1252") << QByteArray("Caf\xe9 \x97")
                                  << QByteArray("Caf\xc3\xa9 \xe2\x80\x94\r\n");
}

void tst_FieldReader::manualLines() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, shown);
    QCOMPARE(QByteArray::fromStdString(ManualText::fromBytes(file.toStdString())), shown);
}

void tst_FieldReader::defaultFolder_data() {
    QTest::addColumn<QByteArray>("file"); // "-": no file
    QTest::addColumn<QString>("folder");  // empty: the program folder
    QTest::newRow("no file") << QByteArray("-") << QString();
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("only a line end") << QByteArray("\r\n") << QString();
    QTest::newRow("first line only") << QByteArray("/roms\r\n/other\r\n") << "/roms";
    QTest::newRow("lone LF") << QByteArray("/roms\n/x") << "/roms";
    QTest::newRow("a comma stays") << QByteArray("/a, b\r\n") << "/a, b";
    QTest::newRow("quotes removed") << QByteArray("\"/a, b\"\r\n") << "/a, b";
    QTest::newRow("UTF-8") << QByteArray("/ca\xc3\xa9\r\n") << QString::fromUtf8("/caé");
}

void tst_FieldReader::defaultFolder() {
    QFETCH(QByteArray, file);
    QFETCH(QString, folder);
    TestFolder program;
    if (file != "-")
        program.write("Data/Defaultpath.txt", file);
    ProgramState state = program.state();
    state.defaultFolder.clear();
    DefaultPath::Load_Path(state);
    QCOMPARE(QString::fromStdU16String(state.defaultFolder.u16string()),
             folder.isEmpty() ? program.path() : folder);
    // What is stored comes back the same at the next start.
    std::string error;
    QVERIFY(DefaultPath::store(state.programFolder, state.defaultFolder, error));
    ProgramState next = program.state();
    DefaultPath::Load_Path(next);
    QCOMPARE(next.defaultFolder, state.defaultFolder);
    QVERIFY(program.read("Data/Defaultpath.txt").endsWith(QByteArray("\r\n")));
}

QTEST_APPLESS_MAIN(tst_FieldReader)
#include "tst_FieldReader.moc"
