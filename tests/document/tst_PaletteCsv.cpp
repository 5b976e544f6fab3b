#include "Cases.h"
#include "PaletteCase.h"
#include "document/PaletteCsv.h"

using namespace tintwright;

// Palettes as CSV: the reader's records, and what a file would change in a ROM through the
// tables. The cases are in tests/data/palettes.json.
class tst_PaletteCsv : public QObject {
    Q_OBJECT

private slots:
    void records_data() { addCases("palettes", "csv"); }
    void records();
    void changes_data() { addCases("palettes", "changes"); }
    void changes();
};

void tst_PaletteCsv::records() {
    QFETCH(QJsonObject, row);
    const std::string text = row["text"].toString().toLatin1().toStdString();
    try {
        QJsonArray records;
        PaletteCsv::Reader reader(text, SIZE_MAX);
        for (PaletteCsv::Record record; reader.next(record);) {
            QJsonArray fields{record.line};
            for (const std::string &field : record.fields)
                fields.append(QString::fromLatin1(field.data(), qsizetype(field.size())));
            records.append(fields);
        }
        QCOMPARE(QJsonValue(records), row["records"]);
    } catch (const Problem &problem) {
        QVERIFY2(row["records"].isString(), problem.what());
        QVERIFY2(QString(problem.what()).startsWith(row["records"].toString()), problem.what());
    }
}

void tst_PaletteCsv::changes() {
    QFETCH(QJsonObject, row);
    const PaletteCase palettes(row["setup"].toObject());
    try {
        const auto changes = PaletteCsv::changes(row["csv"].toString().toLatin1().toStdString(),
                                                 palettes.tables, palettes.rom);
        QJsonArray bytes;
        for (const auto &[index, value] : changes.bytes)
            bytes.append(QJsonArray{qint64(index), value});
        QVERIFY2(row.contains("bytes"), qPrintable(QJsonDocument(bytes).toJson()));
        QCOMPARE(bytes, row["bytes"].toArray());
        QCOMPARE(changes.palettes, row["palettes"].toInt());
    } catch (const Problem &problem) {
        QVERIFY2(row.contains("error"), problem.what());
        QVERIFY2(QString(problem.what()).startsWith(row["error"].toString()), problem.what());
    }
}

QTEST_APPLESS_MAIN(tst_PaletteCsv)
#include "tst_PaletteCsv.moc"
