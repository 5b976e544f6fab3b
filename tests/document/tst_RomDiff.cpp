#include "Cases.h"
#include "PaletteCase.h"
#include "document/NumberText.h"
#include "document/RomDiff.h"

using namespace tintwright;

// What an edited ROM changed, by palette. The cases are in tests/data/palettes.json.
class tst_RomDiff : public QObject {
    Q_OBJECT

private slots:
    void compare_data() { addCases("palettes", "diff"); }
    void compare();
};

void tst_RomDiff::compare() {
    QFETCH(QJsonObject, row);
    const PaletteCase palettes(row["setup"].toObject());
    const auto bytes = [](const std::array<int, 3> &values) {
        QStringList text;
        for (const int value : values)
            text << (value < 0 ? QStringLiteral("--")
                               : QString::fromStdString(NumberText::hex(std::uint64_t(value), 2)));
        return text.join(' ');
    };
    const auto result = RomDiff::compare(palettes.rom, palettes.copy, palettes.tables);
    QJsonArray changed;
    for (const RomDiff::Palette &palette : result.palettes)
        changed.append(QStringLiteral("%1 %2 %3: %4 -> %5")
                           .arg(palette.front ? "front" : "back")
                           .arg(palette.row)
                           .arg(QString::fromStdString(NumberText::offset(palette.address)),
                                bytes(palette.before), bytes(palette.after)));
    QCOMPARE(changed, row["palettes"].toArray());
    QCOMPARE(result.outside, row["outside"].toInteger());
}

QTEST_APPLESS_MAIN(tst_RomDiff)
#include "tst_RomDiff.moc"
