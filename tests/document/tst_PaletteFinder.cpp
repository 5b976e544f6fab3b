#include "Cases.h"
#include "NesPalette.h"
#include "document/PaletteFinder.h"
#include "document/PaletteScan.h"
#include "document/Problem.h"

#include <random>

using namespace tintwright;

// Where a palette table lies, found from palettes and screenshots. The ROMs are made by the
// cases in tests/data/finds.json.
class tst_PaletteFinder : public QObject {
    Q_OBJECT

private slots:
    void layouts_data() { addCases("finds", "layouts"); }
    void layouts();
    void pictures_data() { addCases("finds", "pictures"); }
    void pictures();
    void palettes_data() { addCases("finds", "palettes"); }
    void palettes();
    void scan_data();
    void scan();
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

// A screenshot of a sprite in `colours`: a border of another colour, the colours in turn
// inside it.
PaletteClue screenshot(const std::vector<std::uint32_t> &colours,
                       std::uint32_t background = 0x123456) {
    std::vector<std::uint32_t> pixels(8 * 8, background);
    if (colours.empty()) // a picture with no width
        return PaletteClue::fromPicture(pixels, 0, ColourMatch(NesPalette::standard()));
    for (std::size_t i = 0; i < 36; ++i)
        pixels[9 + i % 6 + i / 6 * 8] = colours[i % colours.size()];
    return PaletteClue::fromPicture(pixels, 8, ColourMatch(NesPalette::standard()));
}

struct Made {
    std::vector<std::uint8_t> rom;
    std::vector<PaletteClue> clues;
};

using Palette = std::array<std::uint8_t, 3>;

// The ROM and the palettes to look for, as the case says.
// A case's ROM: random bytes, its tables, and its palettes put where it says.
class RomMaker {
public:
    explicit RomMaker(const QJsonObject &row) : m_row(row), m_random(row["seed"].toInt(1)) {
        rom.resize(std::size_t(row["size"].toInt(65536)));
        std::generate(rom.begin(), rom.end(), [&] { return std::uint8_t(below(256)); });
        palettes.resize(std::size_t(row["rows"].toInt()));
        for (Palette &p : palettes)
            do
                p = {std::uint8_t(below(64)), std::uint8_t(below(64)), std::uint8_t(below(64))};
            while (p[0] == p[1] && p[1] == p[2]);
        for (std::size_t r = 3; r < palettes.size() && row["repeat"].toBool(); ++r)
            palettes[r] = palettes[r - 3];
    }
    std::size_t below(std::size_t n) { return std::size_t(m_random() % n); }
    void put(std::int64_t at, const QByteArray &bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if (at + i >= 0 && at + i < std::int64_t(rom.size()))
                rom[std::size_t(at + i)] = std::uint8_t(bytes[i]);
    }
    // A table laid out as `layout` says from `at`, the case's bytes around it.
    void lay(int at, const QString &layout, std::size_t rows) {
        const int stride = int(layout.size()) / 2;
        const auto hex = [&](const char *key) {
            return QByteArray::fromHex(m_row[key].toString("FF").toLatin1());
        };
        m_taken.push_back({at - 64, at + std::int64_t(rows) * stride + 64});
        put(at - hex("before").size(), hex("before"));
        put(at + int(rows) * stride, hex("after"));
        for (std::size_t r = 0, k = 0; r < rows; ++r, k = 0)
            for (int i = 0; i < stride; ++i) {
                const QString cell = layout.mid(i * 2, 2);
                const std::size_t place =
                    std::size_t(at) + r * std::size_t(stride) + std::size_t(i);
                if (cell == "pp")
                    rom[place] = palettes[r][k++];
                else if (cell == "ss")
                    rom[place] = std::uint8_t(below(64));
                else if (cell != "??")
                    rom[place] = std::uint8_t(cell.toInt(nullptr, 16));
            }
    }
    // A place 64 bytes or more from every table and every place taken before.
    std::int64_t elsewhere() {
        for (;;) {
            const auto place = std::int64_t(below(rom.size() - 3));
            if (std::none_of(m_taken.begin(), m_taken.end(), [&](const auto &span) {
                    return place >= span.first && place < span.second;
                })) {
                m_taken.push_back({place - 64, place + 64});
                return place;
            }
        }
    }

    std::vector<std::uint8_t> rom;
    std::vector<Palette> palettes;

private:
    QJsonObject m_row;
    std::mt19937 m_random;
    std::vector<std::pair<std::int64_t, std::int64_t>> m_taken;
};

// The ROM and the palettes to look for, as the case says.
Made make(const QJsonObject &row) {
    RomMaker maker(row);
    const int at = row["at"].toInt();
    if (!row["scatter"].toBool())
        maker.lay(at, row["row"].toString(), maker.palettes.size());
    if (const QJsonObject copy = row["copy"].toObject(); !copy.isEmpty())
        maker.lay(copy["at"].toInt(), copy["row"].toString(),
                  std::size_t(copy["rows"].toInt(int(maker.palettes.size()))));
    const QJsonObject patch = row["patch"].toObject();
    for (auto it = patch.begin(); it != patch.end(); ++it)
        maker.put(it.key().toInt(), QByteArray::fromHex(it.value().toString().toLatin1()));
    const auto bytes = [](const Palette &p) {
        return QByteArray(reinterpret_cast<const char *>(p.data()), 3);
    };
    Made made;
    for (const QJsonValue r : row["given"].toArray()) {
        const Palette &p = maker.palettes[std::size_t(r.toInt())];
        made.clues.push_back(PaletteClue::parse(bytes(p).toHex(',').toStdString()));
        for (int decoy = row["scatter"].toBool() ? -1 : 0; decoy < row["decoys"].toInt(); ++decoy)
            maker.put(maker.elsewhere(), bytes(p));
    }
    if (row.contains("picture")) {
        const ColourMatch::Chart chart =
            row["chart"] == "other" ? otherChart() : NesPalette::standard();
        const Palette &shown = maker.palettes[std::size_t(row["picture"].toInt())];
        made.clues.push_back(screenshot({chart[shown[0]], chart[shown[1]], chart[shown[2]]}));
    }
    if (row.contains("absent"))
        made.clues.push_back(PaletteClue::parse(row["absent"].toString().toStdString()));
    made.rom = std::move(maker.rom);
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
    using Kind = PaletteFinder::EndKind;
    const auto kind = [](Kind k) { return k == Kind::FileEdge ? "FileEdge" : "other"; };
    if (row.contains("ends"))
        QCOMPARE(QJsonArray({kind(table.first.kind), kind(table.last.kind)}),
                 row["ends"].toArray());
}

// A screenshot's colours are read through the chart as their look-alikes, or refused.
void tst_PaletteFinder::pictures() {
    QFETCH(QJsonObject, row);
    const auto rgb = [](const QString &described) {
        const int value = described.section(':', 1).toInt(nullptr, 16);
        return described.startsWith("rgb")     ? std::uint32_t(value)
               : described.startsWith("other") ? otherChart()[std::size_t(value)]
                                               : NesPalette::standard()[std::size_t(value)];
    };
    std::vector<std::uint32_t> colours;
    for (const QJsonValue described : row["colours"].toArray())
        colours.push_back(rgb(described.toString()));
    try {
        const PaletteClue clue = screenshot(colours, rgb(row["background"].toString("rgb:123456")));
        QVERIFY(!row.contains("refused"));
        ColourMatch::Colours all = 0;
        for (const ColourMatch::Colours set : clue.colours)
            all |= set == ColourMatch::kEveryColour ? 0 : set;
        for (const QJsonValue index : row["holds"].toArray())
            QVERIFY2(all >> index.toInt() & 1, qPrintable(QString::number(index.toInt(), 16)));
        for (const QJsonValue index : row["lacks"].toArray())
            QVERIFY2(!(all >> index.toInt() & 1), qPrintable(QString::number(index.toInt(), 16)));
        QCOMPARE(clue.colours[2] == ColourMatch::kEveryColour, row["any"].toBool());
        QVERIFY(clue.anyOrder && clue.orders().size() == 6);
    } catch (const Problem &problem) {
        QVERIFY2(row.contains("refused") &&
                     QString::fromStdString(problem.reason()).contains(row["refused"].toString()),
                 problem.what());
    }
}

void tst_PaletteFinder::palettes() {
    QFETCH(QJsonObject, row);
    try {
        const PaletteClue clue = PaletteClue::parse(row["text"].toString().toStdString());
        QCOMPARE(QString::fromStdString(clue.label), row["label"].toString());
        QCOMPARE(clue.orders().size(), std::size_t(1));
    } catch (const Problem &problem) {
        QVERIFY2(QString::fromStdString(problem.reason()).contains(row["refused"].toString()) &&
                     row.contains("refused"),
                 problem.what());
    }
}

void tst_PaletteFinder::scan_data() {
    QTest::addColumn<PaletteScan::Sift>("sifting");
    QTest::newRow("widest") << PaletteScan::Sift::Widest;
    QTest::newRow("16 at a time") << PaletteScan::Sift::By16;
    QTest::newRow("one by one") << PaletteScan::Sift::None;
}

// Every way of sifting finds what looking at every place with every pattern finds.
void tst_PaletteFinder::scan() {
    QFETCH(PaletteScan::Sift, sifting);
    std::mt19937_64 random(3);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<PaletteClue::Pattern> patterns(1 + random() % 64);
        for (PaletteClue::Pattern &pattern : patterns)
            for (ColourMatch::Colours &colours : pattern) // few colours, or most
                colours = trial % 2 ? random() | random() : random() & random() & random();
        std::vector<std::uint8_t> rom(trial < 8 ? std::size_t(trial) : random() % 300);
        for (std::uint8_t &byte : rom)
            byte = std::uint8_t(random() % 72); // a few above $3F
        QList<std::pair<std::size_t, std::uint64_t>> expected, found;
        for (std::size_t at = 0; at + 3 <= rom.size(); ++at) {
            std::uint64_t fits = 0;
            for (std::size_t p = 0; p < patterns.size(); ++p)
                if (rom[at] < 64 && rom[at + 1] < 64 && rom[at + 2] < 64 &&
                    (patterns[p][0] >> rom[at] & patterns[p][1] >> rom[at + 1] &
                     patterns[p][2] >> rom[at + 2] & 1))
                    fits |= std::uint64_t(1) << p;
            if (fits)
                expected.append({at, fits});
        }
        PaletteScan(patterns).run(
            rom,
            [&](std::size_t at, std::uint64_t fits) {
                found.append({at, fits});
            },
            sifting);
        QCOMPARE(found, expected);
    }
}

QTEST_APPLESS_MAIN(tst_PaletteFinder)
#include "tst_PaletteFinder.moc"
