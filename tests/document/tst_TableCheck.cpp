#include "Cases.h"
#include "PaletteCase.h"
#include "document/TableCheck.h"

using namespace tintwright;

// Whether tables fit a ROM, row by row. The cases are in tests/data/palettes.json.
class tst_TableCheck : public QObject {
    Q_OBJECT

private slots:
    void check_data() { addCases("palettes", "check"); }
    void check();
};

void tst_TableCheck::check() {
    QFETCH(QJsonObject, row);
    const PaletteCase palettes(row["setup"].toObject());
    // Previews 1 to 3 are there, but for back row 3's Ruby picture.
    const auto previews = [](const std::string &name) {
        return name.find("/4.gif") == std::string::npos && name != "Back_Ruby/3.gif";
    };
    QJsonArray findings;
    for (const auto &finding : TableCheck::check(palettes.rom, palettes.tables, previews))
        findings.append(
            QStringLiteral("%1 %2 %3: %4")
                .arg(finding.error ? "error" : "warning", finding.front ? "front" : "back")
                .arg(finding.row)
                .arg(QString::fromStdString(finding.message)));
    QCOMPARE(findings, row["findings"].toArray());
}

QTEST_APPLESS_MAIN(tst_TableCheck)
#include "tst_TableCheck.moc"
