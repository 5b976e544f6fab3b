// find ROM PALETTE...: where the table of the given palettes lies.
#include "Arguments.h"
#include "Command.h"
#include "Invocation.h"
#include "NesPalette.h"
#include "document/NumberText.h"
#include "document/PaletteFinder.h"
#include "document/ProgramFolder.h"

#include <QBuffer>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

namespace tintwright {

namespace {

using Table = PaletteFinder::Table;
using EndKind = PaletteFinder::EndKind;

// A screenshot is a picture of a screen: this is room for any emulator's window.
constexpr std::size_t kLargestPicture = std::size_t(64) << 20; // no-mutate: any generous bound
// Decoded, 16 million pixels.
constexpr int kLargestPictureMegabytes = 64; // no-mutate: any generous bound
// Tables and places listed; the rest are counted.
constexpr int kTablesListed = 5;
constexpr int kPlacesListed = 8;

QString qs(const std::string &s) {
    return QString::fromStdString(s);
}

QString address(std::int64_t at) {
    return qs("$" + NumberText::hex(std::uint64_t(at), 6));
}

QString bytesAt(std::span<const std::uint8_t> rom, std::int64_t at) {
    return qs(NumberText::hex(rom[std::size_t(at)], 2) + "," +
              NumberText::hex(rom[std::size_t(at + 1)], 2) + "," +
              NumberText::hex(rom[std::size_t(at + 2)], 2));
}

// The picture's pixels as 0xRRGGBB, or false having said why.
bool readPicture(Invocation &run, std::vector<std::uint32_t> &pixels, int &width) {
    const QString argument = run.value("picture");
    FileBytes bytes;
    if (!run.read(argument, bytes, kLargestPicture))
        return false;
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data.get()),
                                              qsizetype(bytes.size));
    QBuffer buffer(&data);
    // What the reader says of a broken file is said once, below, not as its own lines.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kLargestPictureMegabytes);
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        run.fail(Invocation::kFailed,
                 Invocation::tr("%1: it cannot be read as a picture (%2); PNG, GIF and BMP are "
                                "read")
                     .arg(Invocation::shown(argument), reader.errorString()));
        return false;
    }
    width = image.width();
    // 32-bit lines have no padding: the pixels lie row after row.
    const std::span all(reinterpret_cast<const QRgb *>(image.constBits()),
                        std::size_t(image.width()) * std::size_t(image.height()));
    pixels.reserve(all.size());
    for (const QRgb pixel : all)
        pixels.push_back(qAlpha(pixel) < 128 ? PaletteClue::kSeeThrough : pixel & 0xFFFFFFu);
    return true;
}

// The chart the picture's colours are read through: the program's, or the --pal file's.
bool readChart(Invocation &run, ColourMatch::Chart &chart) {
    chart = NesPalette::standard();
    if (!run.isSet("pal"))
        return true;
    FileBytes bytes;
    if (!run.read(run.value("pal"), bytes, NesPalette::kLongPalBytes + 1, FileIo::Source::File))
        return false;
    const std::optional<NesPalette::Colours> colours = NesPalette::fromPal(bytes.span());
    if (!colours) {
        run.fail(Problem(NesPalette::wrongSize(bytes.size), Problem::Kind::Refused)
                     .in(Arguments::path(run.value("pal")).string()));
        return false;
    }
    chart = *colours;
    return true;
}

// Every palette to look for: the typed ones, then the picture's.
bool readClues(Invocation &run, std::vector<PaletteClue> &clues) {
    try {
        for (const QString &typed : run.args().mid(1))
            clues.push_back(PaletteClue::parse(typed.toStdString()));
    } catch (const Problem &problem) {
        run.fail(Invocation::kFailed, qs(problem.reason()));
        return false;
    }
    if (run.isSet("picture")) {
        ColourMatch::Chart chart;
        std::vector<std::uint32_t> pixels;
        int width = 0;
        if (!readChart(run, chart) || !readPicture(run, pixels, width))
            return false;
        try {
            clues.push_back(PaletteClue::fromPicture(pixels, width, ColourMatch(chart)));
        } catch (const Problem &problem) {
            run.fail(problem.in(Arguments::path(run.value("picture")).string()),
                     Invocation::tr(". Nothing was written."));
            return false;
        }
    }
    QString wrong;
    const auto same = [](const PaletteClue &a, const PaletteClue &b) {
        return a.colours == b.colours && a.anyOrder == b.anyOrder;
    };
    for (std::size_t i = 1; i < clues.size() && wrong.isEmpty(); ++i)
        if (std::any_of(clues.begin(), clues.begin() + qsizetype(i),
                        [&](const PaletteClue &earlier) { return same(earlier, clues[i]); }))
            wrong = Invocation::tr("the palette %1 is given twice: each palette counts once")
                        .arg(qs(clues[i].label));
    if (wrong.isEmpty() && run.isSet("pal") && !run.isSet("picture"))
        wrong = Invocation::tr("--pal reads the colours of a picture: give --picture too");
    if (wrong.isEmpty() && clues.size() < 2)
        wrong = Invocation::tr("give two or more palettes of the table, or one and --picture: "
                               "one place alone shows no table");
    if (wrong.isEmpty() && clues.size() > PaletteFinder::kMostClues)
        wrong = Invocation::tr("give at most %1 palettes").arg(PaletteFinder::kMostClues);
    if (wrong.isEmpty())
        return true;
    run.fail(Invocation::kFailed, wrong);
    return false;
}

// How sure an end of a table is, and why: "sure: the row at $01F3A0 holds $A9, no colour".
QString endText(const PaletteFinder::End &end, bool first) {
    QStringList doubtful;
    for (const std::int64_t at : end.doubtful)
        doubtful << address(at);
    switch (end.kind) {
    case EndKind::NotAColour:
        return Invocation::tr("sure: the row at %1 holds %2, which is no colour")
            .arg(address(end.address), qs(NumberText::colour(end.byte)));
    case EndKind::FileEdge:
        return first ? Invocation::tr("sure: the file begins there")
                     : Invocation::tr("sure: the file ends there");
    case EndKind::Filler:
        return Invocation::tr("sure: rows of one value each, filler, follow from %1")
            .arg(address(end.address));
    case EndKind::ColumnBreak:
        return Invocation::tr("sure: the row at %1 has %2 at +%3, where every row has one "
                              "value")
            .arg(address(end.address), qs(NumberText::colour(end.byte)))
            .arg(end.column);
    case EndKind::Doubtful:
        return Invocation::tr("doubtful: %n row(s) beyond hold one value each (at %1): "
                              "palettes, or filler",
                              nullptr, int(end.doubtful.size()))
            .arg(doubtful.join(QStringLiteral(", ")));
    case EndKind::TooLong:
        break;
    }
    return Invocation::tr("doubtful: the rows read as palettes for more than %1 rows, which is "
                          "no table's end")
        .arg(PaletteFinder::kMostRows);
}

// What a table's rank rests on.
QJsonArray restsOn(const Table &table, std::size_t clues) {
    QJsonArray reasons{
        Invocation::tr("it holds %1 of the %2 palettes given").arg(table.clues).arg(clues),
        Invocation::tr("every row from the first given palette to the last reads as a palette "
                       "(%1 rows)")
            .arg(table.checkedRows)};
    if (table.constantColumns > 0)
        reasons.append(Invocation::tr("bytes between its rows that hold one value in every "
                                      "row: %1")
                           .arg(table.constantColumns));
    reasons.append(Invocation::tr("bytes between its rows that read as colours no palette of it "
                                  "explains: %1%")
                       .arg(qRound(table.unexplained * 100)));
    return reasons;
}

// "best", "equal" (as likely as the first), "lower", or "partial": it holds only some.
QString rankOf(const PaletteFinder::Result &result, std::size_t index, std::size_t clues) {
    if (result.tables[index].clues < int(clues))
        return QStringLiteral("partial");
    if (index == 0)
        return result.clear ? QStringLiteral("best") : QStringLiteral("equal");
    return PaletteFinder::ranksAbove(result.tables[0], result.tables[index])
               ? QStringLiteral("lower")
               : QStringLiteral("equal");
}

struct Found {
    const PaletteFinder::Result &result;
    const std::vector<PaletteClue> &clues;
    std::span<const std::uint8_t> rom;
};

// The given palettes' places on `table`, or off it (decoys) when `on` is false; all places
// when there is no table. At most kPlacesListed of each palette.
QJsonArray placesJson(const Found &found, const Table *table, bool on) {
    QJsonArray places;
    for (const auto &each : found.result.places) {
        int listed = 0;
        for (const PaletteFinder::Place &place : each) {
            const bool held = table && PaletteFinder::holds(*table, place);
            if (held != on || ++listed > kPlacesListed)
                continue;
            QJsonObject json{{"palette", qs(found.clues[std::size_t(place.clue)].label)},
                             {"address", qint64(place.address)},
                             {"bytes", bytesAt(found.rom, place.address)}};
            if (held)
                json["row"] = table->rowOf(place.address) + 1;
            places.append(json);
        }
    }
    return places;
}

QJsonObject endJson(const PaletteFinder::End &end, bool first) {
    QJsonArray doubtful;
    for (const std::int64_t at : end.doubtful)
        doubtful.append(qint64(at));
    return {{"sure", end.sure()}, {"why", endText(end, first)}, {"doubtfulRows", doubtful}};
}

QJsonObject tableJson(const Found &found, std::size_t index) {
    const Table &table = found.result.tables[index];
    return {{"start", qint64(table.start)},
            {"stride", table.stride},
            {"rows", table.rows},
            {"last", qint64(table.address(table.rows - 1))},
            {"holds", table.clues},
            {"confidence", rankOf(found.result, index, found.clues.size())},
            {"restsOn", restsOn(table, found.clues.size())},
            {"given", placesJson(found, &table, true)},
            {"first", endJson(table.first, true)},
            {"end", endJson(table.last, false)}};
}

// Every fact found, as --format json gives them; the text is made from it.
QJsonObject report(const Found &found, const QString &rom) {
    const PaletteFinder::Result &result = found.result;
    QJsonArray palettes, tables;
    for (std::size_t c = 0; c < found.clues.size(); ++c)
        palettes.append(QJsonObject{{"palette", qs(found.clues[c].label)},
                                    {"places", qint64(result.placeCounts[c])}});
    for (std::size_t t = 0; t < result.tables.size() && t < kTablesListed; ++t)
        tables.append(tableJson(found, t));
    const bool none = result.tables.empty() || result.tables[0].clues < int(found.clues.size());
    const Table *best = none ? nullptr : &result.tables[0];
    return {{"rom", rom},
            {"found", result.clear ? "one"
                      : none       ? "none"
                                   : "several"},
            {"palettes", palettes},
            {"tables", tables},
            {"moreTables", qint64(result.tables.size()) - qint64(tables.size())},
            {"elsewhere", placesJson(found, best, false)}};
}

QString placeText(const QJsonValue &place) {
    const QJsonObject p = place.toObject();
    const QString at = address(p["address"].toInteger());
    const QString holds = p["bytes"].toString() == p["palette"].toString()
                              ? QString()
                              : Invocation::tr(", the ROM holds %1").arg(p["bytes"].toString());
    return p.contains("row") ? Invocation::tr("%1 in row %2 (%3%4)")
                                   .arg(p["palette"].toString())
                                   .arg(p["row"].toInt())
                                   .arg(at, holds)
                             : Invocation::tr("%1 at %2%3").arg(p["palette"].toString(), at, holds);
}

// The report as lines a person reads.
QString reportText(const QJsonObject &json) {
    QStringList palettes;
    for (const QJsonValue p : json["palettes"].toArray())
        palettes << (p["places"].toInteger() == 1
                         ? Invocation::tr("%1 (1 place)").arg(p["palette"].toString())
                         : Invocation::tr("%1 (%2 places)")
                               .arg(p["palette"].toString())
                               .arg(p["places"].toInteger()));
    QString text = Invocation::tr("Looked for %1 in %2.\n")
                       .arg(palettes.join(QStringLiteral(", ")), json["rom"].toString());
    for (const QJsonValue p : json["palettes"].toArray())
        if (p["places"].toInteger() > qint64(PaletteFinder::kMostPlaces))
            text += Invocation::tr("%1 lies at more places than the %2 joined into tables, so a "
                                   "table may be missed: give rarer palettes.\n")
                        .arg(p["palette"].toString())
                        .arg(PaletteFinder::kMostPlaces);
    const QString found = json["found"].toString();
    text += found == QLatin1String("one") ? Invocation::tr("Found one table, table 1.\n")
            : found == QLatin1String("none")
                ? Invocation::tr("No table found: no table holds every palette given, evenly "
                                 "spaced with palettes between them. The palettes may lie apart, "
                                 "behind pointers or in an encoded form; see \"Tables for your "
                                 "own game\" in the manual for the way by hand.\n")
                : Invocation::tr("Several tables are equally likely: give another palette of "
                                 "the table to tell them apart.\n");
    int number = 0;
    for (const QJsonValue value : json["tables"].toArray()) {
        const QJsonObject t = value.toObject();
        text += Invocation::tr("Table %1 (%2): %3, stride %4, %5 rows, the last at %6\n")
                    .arg(++number)
                    .arg(t["confidence"].toString(), address(t["start"].toInteger()))
                    .arg(t["stride"].toInt())
                    .arg(t["rows"].toInt())
                    .arg(address(t["last"].toInteger()));
        for (const QJsonValue place : t["given"].toArray())
            text += Invocation::tr("  holds %1\n").arg(placeText(place));
        for (const QJsonValue reason : t["restsOn"].toArray())
            text += Invocation::tr("  rests on: %1\n").arg(reason.toString());
        text += Invocation::tr("  first row: %1\n  last row: %2\n")
                    .arg(t["first"]["why"].toString(), t["end"]["why"].toString());
    }
    if (json["moreTables"].toInteger() > 0)
        text +=
            Invocation::tr("%1 more tables are not listed.\n").arg(json["moreTables"].toInteger());
    for (const QJsonValue place : json["elsewhere"].toArray())
        text += (found == QLatin1String("none") ? Invocation::tr("Found %1\n")
                                                : Invocation::tr("Elsewhere: %1\n"))
                    .arg(placeText(place));
    return text;
}

// The best table as a location table: one row per palette, named for the user to rename.
std::vector<std::uint8_t> tableFile(const Table &table) {
    LocationTable rows;
    for (int row = 0; row < table.rows; ++row) {
        rows.addresses.push_back(std::int32_t(table.address(row)));
        rows.names.push_back("Sprite " + std::to_string(row + 1));
        rows.forms.push_back("$000000");
    }
    const std::string text = ProgramFolder::tableText(rows);
    return {text.begin(), text.end()};
}

int run(Invocation &run) {
    FileBytes rom;
    std::vector<PaletteClue> clues;
    if (!readClues(run, clues) || !run.readRom(run.args()[0], rom))
        return run.failed();
    const PaletteFinder::Result result = PaletteFinder::find(rom.span(), clues);
    const QString romName = run.args()[0] == QLatin1String(FileIo::kStandardStream)
                                ? Invocation::tr("standard input")
                                : Invocation::shown(run.args()[0]);
    QJsonObject json = report({result, clues, rom.span()}, romName);
    QString written;
    if (run.isSet("output") && !result.clear)
        run.fail(Invocation::kRefused, Invocation::tr("no table is clearly the one: nothing was "
                                                      "written"));
    else if (run.isSet("output") && run.write(run.value("output"), tableFile(result.tables[0])))
        written = Invocation::shown(run.value("output"));
    json["written"] = written.isEmpty() ? QJsonValue() : QJsonValue(written);
    // With the table on standard output, the report goes to standard error.
    const QString output = run.isSet("output") ? run.value("output") : QString();
    if (run.json()) {
        if (const auto &failure = run.failure())
            json["error"] = QJsonObject{{"status", failure->first}, {"message", failure->second}};
        run.reportCarriesFailure();
        run.written(output, QString::fromUtf8(QJsonDocument(json).toJson()));
    } else {
        run.written(output, reportText(json));
        if (!written.isEmpty())
            run.written(output, Invocation::tr("Wrote %1: rename its rows, then check it against "
                                               "the ROM.\n")
                                    .arg(written));
    }
    if (run.failure())
        return run.failed();
    return result.clear ? Invocation::kDone : Invocation::kRefused;
}

} // namespace

extern const Command kFindCommand{
    "find",
    {{"ROM", QT_TRANSLATE_NOOP("DataTool", "the ROM to look in, or - for standard input")},
     {"PALETTE...",
      QT_TRANSLATE_NOOP("DataTool", "palettes of one table as an emulator shows them: three "
                                    "colours, as 0F,12,21 or $0F,$12,$21")}},
    QT_TRANSLATE_NOOP("DataTool", "Find the table that holds the given palettes."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "Looks for each PALETTE in ROM, and for a table that holds them: rows at one distance "
        "from each other (the stride: 3 for palettes back to back, 4 after a shared background "
        "byte, more for palettes inside longer records), every row between them reading as a "
        "palette (three bytes of $00 to $3F). The table reaches on both ways while its rows read "
        "as palettes; each end is sure (the next row holds a byte above $3F, the file ends, "
        "filler follows, or a byte that every row shares differs) or doubtful (up to 2 rows of "
        "one value each lie beyond). Give two palettes or more (the more, the surer), or one and "
        "--picture.\n\n--picture takes a screenshot of one sprite (PNG, GIF or BMP, at any "
        "scale): the colour around its edges is its background and is dropped; the two or "
        "three others are read as NES colours through the program's chart, or through --pal "
        "FILE.pal (the emulator's palette, 192 or 1536 bytes), and are looked for in every "
        "order. Colours that look alike (the blacks, $20 and $30, and the chart's other near "
        "twins) stand for each other. Colour distance is CIE76 (in CIELAB); a colour farther "
        "than 20 from every colour of the chart is refused.\n\nCandidate tables are ranked by "
        "how many of the palettes they hold, then by their other rows that read as palettes, then "
        "by how few of the bytes between their rows read as colours unexplained, then by the "
        "bytes between rows that are the same in every row. Tables apart that hold as many "
        "palettes, with two other rows or more, are equally likely; so are two readings of the "
        "same places (strides 4 and 8, say) unless the places show the stride (three or more, "
        "not all on every second or third row) or one reading's bytes between rows are one "
        "value per column. The palettes' other places are listed as decoys. --output writes the "
        "best table "
        "as a location table (rows Sprite 1, Sprite 2, ..., addresses in $ hex), only when it "
        "is clearly the best, as export writes its output; with the table on standard output, "
        "the report goes to standard error. Up to 4096 places of each palette are joined into "
        "tables: a palette found at more places leaves the answer open.\n\nExit status: 0 one "
        "table is clearly the best, 1 no table or several equally likely (nothing written), or "
        "a picture that is no NES screenshot or a .pal of another size (refused), 2 a file that "
        "cannot be read as a picture or at all, a file that cannot be written, or wrong usage."),
    {{"picture", "FILE",
      QT_TRANSLATE_NOOP("DataTool", "Also look for the colours of a screenshot of one sprite.")},
     {"pal", "FILE.pal",
      QT_TRANSLATE_NOOP("DataTool", "Read the picture's colours through this emulator palette.")},
     {"output", "TABLE",
      QT_TRANSLATE_NOOP("DataTool", "Write the best table to TABLE, when it is clearly the "
                                    "best.")},
     kForceOption,
     kFormatOption},
    run,
    true};

} // namespace tintwright
