#include "Cases.h"
#include "TestFolder.h"
#include "document/DataFileError.h"
#include "document/DefaultPath.h"
#include "document/ManualText.h"
#include "document/PaletteCsv.h"
#include "document/Rom.h"
#include "document/TextEncoding.h"

using namespace tintwright;

// The Data files as start-up reads them: location tables, the file type filter, the default
// folder and the manual, in whatever encoding and line ends they were saved. The cases are in
// tests/data/readers.json.
class tst_FieldReader : public QObject {
    Q_OBJECT

private slots:
    void locationTable_data() { addCases("readers", "locationTable"); }
    void locationTable();
    void fileTypeFilter_data() { addCases("readers", "fileTypeFilter"); }
    void fileTypeFilter();
    void decode_data() { addCases("readers", "decode"); }
    void decode();
    void manual_data() { addCases("readers", "manual"); }
    void manual();
    void defaultFolder_data() { addCases("readers", "defaultFolder"); }
    void defaultFolder();
    void loadTables();
    void csv_data() { addCases("readers", "csv"); }
    void csv();
};

void tst_FieldReader::locationTable() {
    QFETCH(QJsonArray, row);
    const QString expected = row[2].toString();
    try {
        const LocationTable table =
            Rom::readLocationTable(row[1].toString().toLatin1().toStdString(), "Data/T.txt");
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

void tst_FieldReader::fileTypeFilter() {
    QFETCH(QJsonArray, row);
    try {
        const bool flag =
            Rom::readFileTypeFilter(row[1].toString().toLatin1().toStdString(), "F.txt");
        QCOMPARE(QString::number(flag), row[2].toString());
    } catch (const DataFileError &error) {
        QVERIFY2(QString::fromStdString(error.reason()).startsWith(row[2].toString()),
                 error.what());
        QCOMPARE(error.line(), 1);
    }
}

void tst_FieldReader::decode() {
    QFETCH(QJsonArray, row);
    const std::string text = TextEncoding::toUtf8(row[1].toString().toLatin1().toStdString());
    QVERIFY(TextEncoding::isValidUtf8(text));
    QCOMPARE(QString::fromStdString(text), row[2].toString());
}

void tst_FieldReader::manual() {
    QFETCH(QJsonArray, row);
    QCOMPARE(
        QString::fromStdString(ManualText::fromBytes(row[1].toString().toLatin1().toStdString())),
        row[2].toString());
}

void tst_FieldReader::defaultFolder() {
    QFETCH(QJsonArray, row);
    TestFolder program;
    if (row[1].isString())
        program.write("Data/Defaultpath.txt", row[1].toString().toLatin1());
    ProgramState state = program.state();
    DefaultPath::Load_Path(state);
    const QString folder = row[2].toString().isEmpty() ? program.path() : row[2].toString();
    QCOMPARE(QFile::decodeName(QByteArray::fromStdString(state.defaultFolder.native())), folder);
    // What is stored comes back the same at the next start.
    std::string error;
    QVERIFY(DefaultPath::store(state.programFolder, state.defaultFolder, error));
    ProgramState next = program.state();
    DefaultPath::Load_Path(next);
    QVERIFY(next.defaultFolder == state.defaultFolder &&
            program.read("Data/Defaultpath.txt").endsWith("\r\n"));
}

void tst_FieldReader::loadTables() {
    TestFolder folder;
    folder.writeTables("10,\"A\"\r\n20,\"B\"\r\n", "");
    folder.write("Data/FileTypeFilter.txt", "1\r\n");
    ProgramState state = folder.state();
    Rom::Load_Tables(state);
    QCOMPARE(state.backLocations.addresses, (std::vector<std::int32_t>{10, 20}));
    // Read on past an empty table.
    QVERIFY(state.frontLocations.rows() == 0 && state.fileTypeFilter);
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
    // A field of a million bytes: the report quotes a short part of it and says how long it
    // is. A Data file of 1 GiB is not read at all.
    for (const char *file : {"Data/BackLocations.txt", "Data/FileTypeFilter.txt"}) {
        folder.writeTables(file[5] == 'B' ? "1,A\r\n" + QByteArray(1000000, 'x') : "1,A");
        QFile filter(folder.filePath("Data/FileTypeFilter.txt"));
        QVERIFY(file[5] == 'B' ||
                (filter.open(QIODevice::WriteOnly) && filter.resize(qint64(1) << 30))); // sparse
        try {
            Rom::Load_Tables(state);
            QFAIL("started with a broken table");
        } catch (const DataFileError &error) {
            QVERIFY2(std::string_view(error.what()).size() < 300 && error.file() == file,
                     error.what());
            QVERIFY(error.reason().find(error.line() ? "(1000000 bytes in all)" : "too large") !=
                    std::string::npos);
        }
    }
}

void tst_FieldReader::csv() {
    QFETCH(QJsonArray, row);
    try {
        QJsonArray records;
        const std::string text = row[1].toString().toLatin1().toStdString();
        PaletteCsv::Reader reader(text, SIZE_MAX);
        for (PaletteCsv::Record record; reader.next(record);) {
            QJsonArray fields{record.line};
            for (const std::string &field : record.fields)
                fields.append(QString::fromLatin1(field.data(), qsizetype(field.size())));
            records.append(fields);
        }
        QCOMPARE(QJsonValue(records), row[2]);
    } catch (const PaletteCsv::Error &error) {
        const QString got = QStringLiteral("line %1: %2").arg(error.line()).arg(error.what());
        QVERIFY2(row[2].isString() && got.startsWith(row[2].toString()), qPrintable(got));
    }
}

QTEST_APPLESS_MAIN(tst_FieldReader)
#include "tst_FieldReader.moc"
