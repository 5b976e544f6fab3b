#include "Cases.h"
#include "NesPalette.h"
#include "document/PaletteFinder.h"

#include <random>

using namespace tintwright;

// Where a palette table lies, found from palettes and screenshots. The ROMs are made by the
// cases in tests/data/finds.json.
class tst_PaletteFinder : public QObject {
    Q_OBJECT

private slots:
    void layouts_data() { addCases("finds", "layouts"); }
    void layouts();
};

namespace {

// Another emulator's colours: each of the chart's a little darker, warmer and less blue.
ColourMatch::Chart otherChart() {
    ColourMatch::Chart chart = NesPalette::standard();
    for (std::uint32_t &rgb : chart) {
        const auto part = [rgb](int shift, double scale, int add) {
            return std::uint32_t(std::clamp(int(((rgb >> shift) & 0xFF) * scale) + add, 0, 255));
        };
        rgb = part(16, 0.94, 8) << 16 | part(8, 0.92, 4) << 8 | part(0, 0.88, 0);
    }
    return chart;
}

// A screenshot of a sprite in `colours`: a border of another colour, the three inside.
PaletteClue screenshot(const std::array<std::uint8_t, 3> &colours, const ColourMatch::Chart &as) {
    std::vector<std::uint32_t> pixels(6 * 6, 0x123456);
    for (int i = 0; i < 12; ++i)
        pixels[std::size_t(7 + i % 4 + i / 4 * 6)] = as[colours[std::size_t(i % 3)]];
    return PaletteClue::fromPicture(pixels, 6, ColourMatch(NesPalette::standard()));
}

struct Made {
    std::vector<std::uint8_t> rom;
    std::vector<PaletteClue> clues;
};

using Palette = std::array<std::uint8_t, 3>;

// The ROM and the palettes to look for, as the case says.
Made make(const QJsonObject &row) {
    std::mt19937 random(row["seed"].toInt(1));
    const auto below = [&](std::size_t n) { return std::size_t(random() % n); };
    Made made;
    std::vector<std::uint8_t> &rom = made.rom;
    rom.resize(std::size_t(row["size"].toInt(65536)));
    std::generate(rom.begin(), rom.end(), [&] { return std::uint8_t(below(256)); });
    std::vector<Palette> palettes(std::size_t(row["rows"].toInt()));
    for (Palette &p : palettes)
        do
            p = {std::uint8_t(below(64)), std::uint8_t(below(64)), std::uint8_t(below(64))};
        while (p[0] == p[1] && p[1] == p[2]);
    const auto put = [&](std::int64_t at, const QByteArray &bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if (at + i >= 0 && at + i < std::int64_t(rom.size()))
                rom[std::size_t(at + i)] = std::uint8_t(bytes[i]);
    };
    const auto hex = [&](const char *key) {
        return QByteArray::fromHex(row[key].toString("FF").toLatin1());
    };
    // Where tables lie, with 64 bytes around them, and the places taken since.
    std::vector<std::pair<std::int64_t, std::int64_t>> taken;
    // A table laid out as `layout` says from `at`, the case's bytes around it.
    const auto lay = [&](int at, const QString &layout, std::size_t rows) {
        const int stride = int(layout.size()) / 2;
        taken.push_back({at - 64, at + std::int64_t(rows) * stride + 64});
        put(at - hex("before").size(), hex("before"));
        put(at + int(rows) * stride, hex("after"));
        for (std::size_t r = 0, k = 0; r < rows; ++r, k = 0)
            for (int i = 0; i < stride; ++i) {
                const QString cell = layout.mid(i * 2, 2);
                const std::size_t place = std::size_t(at) + r * std::size_t(stride) + std::size_t(i);
                if (cell == "pp")
                    rom[place] = palettes[r][k++];
                else if (cell != "??")
                    rom[place] = std::uint8_t(cell.toInt(nullptr, 16));
            }
    };
    const int at = row["at"].toInt();
    if (!row["scatter"].toBool())
        lay(at, row["row"].toString(), palettes.size());
    if (const QJsonObject copy = row["copy"].toObject(); !copy.isEmpty())
        lay(copy["at"].toInt(), copy["row"].toString(),
            std::size_t(copy["rows"].toInt(int(palettes.size()))));
    const auto bytes = [](const Palette &p) { return QByteArray(reinterpret_cast<const char *>(p.data()), 3); };
    const auto elsewhere = [&] {
        for (;;) {
            const auto place = std::int64_t(below(rom.size() - 3));
            if (std::none_of(taken.begin(), taken.end(), [&](const auto &span) {
                    return place >= span.first && place < span.second;
                })) {
                taken.push_back({place - 64, place + 64});
                return place;
            }
        }
    };
    for (const QJsonValue r : row["given"].toArray()) {
        const Palette &p = palettes[std::size_t(r.toInt())];
        made.clues.push_back(PaletteClue::parse(bytes(p).toHex(',').toStdString()));
        for (int decoy = row["scatter"].toBool() ? -1 : 0; decoy < row["decoys"].toInt(); ++decoy)
            put(elsewhere(), bytes(p));
    }
    if (row.contains("picture"))
        made.clues.push_back(screenshot(palettes[std::size_t(row["picture"].toInt())],
                                        row["chart"] == "other" ? otherChart() : NesPalette::standard()));
    if (row.contains("absent"))
        made.clues.push_back(PaletteClue::parse(row["absent"].toString().toStdString()));
    return made;
}

} // namespace

// Each layout is found with its start, stride and length, and how sure its ends are; what is
// no table, or two, is said so.
void tst_PaletteFinder::layouts() {
    QFETCH(QJsonObject, row);
    const Made made = make(row);
    const PaletteFinder::Result result = PaletteFinder::find(made.rom, made.clues);
    const QJsonObject expect = row["expect"].toObject();
    const bool none = result.tables.empty() || result.tables[0].clues < int(made.clues.size());
    QCOMPARE(result.clear ? "one" : none ? "none" : "several", expect["found"].toString());
    if (!expect.contains("start"))
        return;
    const PaletteFinder::Table &table = result.tables[0];
    QCOMPARE(table.start, expect["start"].toInteger());
    QCOMPARE(table.stride, expect["stride"].toInt());
    QCOMPARE(table.rows, expect["rows"].toInt());
    QCOMPARE(QJsonArray({table.first.sure(), table.last.sure()}), expect["sure"].toArray());
    QCOMPARE(int(table.last.doubtful.size()), expect["doubtful"].toInt());
}

QTEST_APPLESS_MAIN(tst_PaletteFinder)
#include "tst_PaletteFinder.moc"
