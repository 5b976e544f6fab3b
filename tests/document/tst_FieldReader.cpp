#include "Cases.h"
#include "TestFolder.h"
#include "document/DefaultPath.h"
#include "document/ManualText.h"
#include "document/ProgramFolder.h"
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
    void quoted_data() { addCases("readers", "quoted"); }
    void quoted();
    void decode_data() { addCases("readers", "decode"); }
    void decode();
    void manual_data() { addCases("readers", "manual"); }
    void manual();
    void defaultFolder_data() { addCases("readers", "defaultFolder"); }
    void defaultFolder();
    void loadTables();
};

namespace {

std::string bytes(const QJsonValue &value) {
    return value.toString().toLatin1().toStdString();
}

} // namespace

void tst_FieldReader::locationTable() {
    QFETCH(QJsonObject, row);
    const QString expected = row["rows"].toString();
    try {
        const LocationTable table = ProgramFolder::readTable(bytes(row["text"]), "Data/T.txt");
        QStringList rows;
        for (int i = 0; i < table.rows(); ++i)
            rows << QString::number(table.addresses[i]) + ' ' +
                        QString::fromStdString(table.names[i]);
        QCOMPARE(table.names.size(), table.addresses.size());
        QCOMPARE(rows.join('|'), expected);
        // Written out again, as a port writes tables, it reads back the same, each address
        // in the form it had.
        const LocationTable again =
            ProgramFolder::readTable(ProgramFolder::tableText(table), "Data/T.txt");
        QVERIFY(again.addresses == table.addresses && again.names == table.names &&
                again.forms == table.forms);
    } catch (const Problem &problem) {
        const QString got =
            QStringLiteral("line %1: %2").arg(problem.line()).arg(problem.reason().c_str());
        QVERIFY2(got.startsWith(expected), qPrintable(got));
        QVERIFY(expected.startsWith("line "));
        QCOMPARE(QString::fromStdString(problem.what()), "Data/T.txt, " + got);
    }
}

void tst_FieldReader::fileTypeFilter() {
    QFETCH(QJsonObject, row);
    try {
        const bool flag = ProgramFolder::readFileTypeFilter(bytes(row["text"]), "F.txt");
        QCOMPARE(QString::number(flag), row["flag"].toString());
    } catch (const Problem &problem) {
        QVERIFY2(QString::fromStdString(problem.reason()).startsWith(row["flag"].toString()),
                 problem.what());
        QCOMPARE(problem.line(), 1);
    }
}

void tst_FieldReader::quoted() {
    QFETCH(QJsonObject, row);
    QCOMPARE(QString::fromStdString(TextEncoding::quoted(bytes(row["field"]))),
             row["quoted"].toString());
}

void tst_FieldReader::decode() {
    QFETCH(QJsonObject, row);
    const std::string text = TextEncoding::toUtf8(bytes(row["bytes"]));
    QVERIFY(TextEncoding::isValidUtf8(text));
    QCOMPARE(QString::fromStdString(text), row["text"].toString());
}

void tst_FieldReader::manual() {
    QFETCH(QJsonObject, row);
    QCOMPARE(QString::fromStdString(ManualText::fromBytes(bytes(row["bytes"]))),
             row["shown"].toString());
}

void tst_FieldReader::defaultFolder() {
    QFETCH(QJsonObject, row);
    TestFolder program;
    const bool installed = row["installed"].toBool();
    if (row["file"].isString())
        program.write("Data/Defaultpath.txt", row["file"].toString().toLatin1());
    if (row["user"].isString())
        program.write("config/Defaultpath.txt", row["user"].toString().toLatin1());
    if (row["demo"].toBool())
        program.write("data/Demo.nes", "demo");
    ProgramState state = program.state();
    if (installed) {
        state.userConfigFolder = program.fsPath("config");
        state.userDataFolder = program.fsPath("data");
    }
    DefaultPath::Load_Path(state);
    QString folder = row["folder"].toString();
    folder = folder.isEmpty() ? program.path() : folder.replace("@data", program.filePath("data"));
    QCOMPARE(QFile::decodeName(QByteArray::fromStdString(state.defaultFolder.native())), folder);
    // What is stored comes back the same at the next start, from the user's own file when
    // the copy is installed.
    QVERIFY(DefaultPath::store(state, state.defaultFolder));
    ProgramState next = program.state();
    next.userConfigFolder = state.userConfigFolder;
    next.userDataFolder = state.userDataFolder;
    DefaultPath::Load_Path(next);
    QCOMPARE(next.defaultFolder, state.defaultFolder);
    QVERIFY(program.read(installed ? "config/Defaultpath.txt" : "Data/Defaultpath.txt")
                .endsWith("\r\n"));
}

void tst_FieldReader::loadTables() {
    TestFolder folder;
    folder.writeTables("10,\"A\"\r\n20,\"B\"\r\n", "");
    folder.write("Data/FileTypeFilter.txt", "1\r\n");
    ProgramState state = folder.state();
    Rom::Load_Tables(state);
    QCOMPARE(state.tables.back.addresses, (std::vector<std::int32_t>{10, 20}));
    // Read on past an empty table.
    QCOMPARE(state.tables.front.rows(), 0);
    QVERIFY(state.fileTypeFilter);
    // Each file is named when it cannot be read, in the order they are read.
    for (const char *name :
         {"Data/FileTypeFilter.txt", "Data/FrontLocations.txt", "Data/BackLocations.txt"}) {
        QVERIFY(QFile::remove(folder.filePath(name)));
        try {
            Rom::Load_Tables(state);
            QFAIL("started without a table");
        } catch (const Problem &problem) {
            QCOMPARE(problem.file(), std::string(name));
            QVERIFY(problem.reason().starts_with("the file cannot be read ("));
        }
    }
    // A field of a million bytes: the report quotes a short part of it and says how long it
    // is. A Data file of 1 GiB is not read at all.
    for (const char *file : {"Data/BackLocations.txt", "Data/FileTypeFilter.txt"}) {
        const bool back = file[5] == 'B';
        folder.writeTables(back ? "1,A\r\n" + QByteArray(1000000, 'x') : "1,A");
        // A sparse filter file of 1 GiB.
        QVERIFY(back || QFile::resize(folder.filePath("Data/FileTypeFilter.txt"), qint64(1) << 30));
        try {
            Rom::Load_Tables(state);
            QFAIL("started with a broken table");
        } catch (const Problem &problem) {
            QVERIFY2(std::string_view(problem.what()).size() < 300, problem.what());
            QCOMPARE(problem.file(), std::string(file));
            QVERIFY(problem.reason().find(back ? "(1000000 bytes in all)" : "too large") !=
                    std::string::npos);
        }
    }
}

QTEST_APPLESS_MAIN(tst_FieldReader)
#include "tst_FieldReader.moc"
