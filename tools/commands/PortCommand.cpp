// port REFERENCE OTHER: where every palette of the tables lies in another copy of the game.
#include "Arguments.h"
#include "Command.h"
#include "Invocation.h"
#include "document/NumberText.h"
#include "document/PalettePort.h"
#include "document/ProgramFolder.h"
#include "document/TableCheck.h"
#include "document/TextEncoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <iterator>
#include <string>

namespace tintwright {

namespace {

using Sure = PalettePort::Sure;
using How = PalettePort::How;

QString qs(const std::string &s) {
    return QString::fromStdString(s);
}

std::string shift(std::int64_t value) {
    return (value > 0 ? "+" : "") + std::to_string(value);
}

// `format`, translated once, with %1 to %9 replaced by `args`, added to `out`: a report of many
// rows is made in UTF-8 as it goes, not a QString a row.
void fill(std::string &out, const std::string &format,
          std::initializer_list<std::string_view> args) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        const std::size_t n = i + 1 < format.size() ? std::size_t(format[i + 1] - '1') : 9;
        if (format[i] == '%' && n < args.size()) {
            out += args.begin()[n];
            ++i;
        } else {
            out += format[i];
        }
    }
}

// What became of a row: how it was found, or why it was not. Each has its words in the row's
// line (the found ones) and its key in the JSON summary, and a found row's "how".
enum class Outcome { SamePlace, WithGroup, Alone, Several, None, Count };
struct OutcomeNames {
    const char *words;
    const char *key;
};
constexpr OutcomeNames kOutcomes[] = {
    {QT_TRANSLATE_NOOP("DataTool", "same place"), "samePlace"},
    {QT_TRANSLATE_NOOP("DataTool", "moved with its group"), "withGroup"},
    {QT_TRANSLATE_NOOP("DataTool", "found alone"), "alone"},
    {nullptr, "several"},
    {nullptr, "none"}};
static_assert(std::size(kOutcomes) == std::size_t(Outcome::Count));

Outcome outcomeOf(const PalettePort::Row &row) {
    if (row.sure != Sure::One)
        return row.sure == Sure::Several ? Outcome::Several : Outcome::None;
    switch (row.how) {
    case How::SamePlace:
        return Outcome::SamePlace;
    case How::WithGroup:
        return Outcome::WithGroup;
    case How::Alone:
        break;
    }
    return Outcome::Alone;
}

// Refuses a reference the tables do not fit: the port would carry their faults along.
bool fits(Invocation &run, const FileBytes &reference, const Invocation::Tables &tables) {
    const auto findings = TableCheck::check(reference.span(), tables.tables, {});
    const auto error = std::find_if(findings.begin(), findings.end(),
                                    [](const TableCheck::Finding &f) { return f.error; });
    if (error == findings.end())
        return true;
    const LocationTable &table = tables.of(error->front);
    const auto row = std::size_t(error->row);
    const auto errors = std::count_if(findings.begin(), findings.end(),
                                      [](const TableCheck::Finding &f) { return f.error; });
    run.fail(
        Invocation::kRefused,
        Invocation::tr("%1: the tables do not fit this reference: check finds %2, the "
                       "first at %3, line %4, %5, address %6: %7. Nothing was written.")
            .arg(Invocation::shown(run.args()[0]),
                 errors == 1 ? Invocation::tr("1 error") : Invocation::tr("%1 errors").arg(errors))
            .arg(tables.file(error->front))
            .arg(table.lines[row])
            .arg(qs(TextEncoding::quoted(table.names[row])),
                 qs(NumberText::offset(table.addresses[row])), qs(error->message)));
    return false;
}

// What the report says of every row, in the one form asked for (a report of many rows costs
// more than finding them); each row found once takes its new address in `tables`.
struct Report {
    std::array<int, std::size_t(Outcome::Count)> counts{}; // rows of each outcome
    std::string text;
    QJsonArray rows;
    int count(Outcome outcome) const { return counts[std::size_t(outcome)]; }
    int unresolved() const { return count(Outcome::Several) + count(Outcome::None); }
};

QJsonObject rowJson(const LocationTable &table, std::size_t r, bool front,
                    const PalettePort::Row &row, bool kept) {
    QJsonArray candidates;
    for (const std::int64_t at : row.found)
        candidates.append(qint64(at));
    const bool one = row.sure == Sure::One;
    const std::int64_t old = table.addresses[r];
    // For other programs, how is said by the names the summary counts by.
    const char *how = kOutcomes[std::size_t(outcomeOf(row))].key;
    return QJsonObject{{"list", front ? "front" : "back"},
                       {"row", LocationTable::number(int(r))},
                       {"line", table.lines[r]},
                       {"name", qs(TextEncoding::toUtf8(table.names[r]))},
                       {"address", qint64(old)},
                       {"candidates", candidates},
                       {"moreCandidates", row.more},
                       {"sure", one                         ? "one"
                                : row.sure == Sure::Several ? "several"
                                                            : "none"},
                       {"found", one ? QJsonValue(qint64(row.found[0])) : QJsonValue()},
                       {"shift", one ? QJsonValue(qint64(row.found[0] - old)) : QJsonValue()},
                       {"how", one ? QJsonValue(QLatin1String(how)) : QJsonValue()},
                       {"kept", kept && !one}};
}

void describe(Invocation &run, Invocation::Tables &tables, const PalettePort::Result &result,
              Report &report) {
    const bool keep = run.isSet("keep-unresolved");
    if (!run.json())
        report.text.reserve((result.back.size() + result.front.size()) * 96);
    const auto said = [](const char *words) { return Invocation::tr(words).toStdString(); };
    const std::string atText = said("at %1 (shift %2), %3\n"), shiftText = said("%1 (shift %2)"),
                      severalText = said("%1 candidates: %2"),
                      moreText = said("%1 candidates or more (the bytes around it are "
                                      "everywhere in the copy), the first: %2"),
                      noneText = said("not found"), keptText = said("; kept at its old address\n");
    std::array<std::string, std::size(kOutcomes)> hows;
    for (std::size_t k = 0; k < hows.size(); ++k)
        if (kOutcomes[k].words)
            hows[k] = said(kOutcomes[k].words);
    for (const bool front : {false, true}) {
        const LocationTable &table = tables.of(front);
        const std::vector<PalettePort::Row> &found = front ? result.front : result.back;
        for (std::size_t r = 0; r < found.size(); ++r) {
            const PalettePort::Row &row = found[r];
            const std::int64_t old = table.addresses[r];
            const bool one = row.sure == Sure::One;
            const auto outcome = std::size_t(outcomeOf(row));
            ++report.counts[outcome];
            if (run.json()) {
                report.rows.append(rowJson(table, r, front, row, keep));
            } else {
                fill(report.text, "%1 row %2 %3 %4: ",
                     {front ? "front" : "back", std::to_string(LocationTable::number(int(r))),
                      TextEncoding::quoted(table.names[r]), NumberText::offset(old)});
                std::string list;
                for (const std::int64_t at : row.found)
                    fill(list, list.empty() ? shiftText : ", " + shiftText,
                         {NumberText::offset(at), shift(at - old)});
                if (one)
                    fill(report.text, atText,
                         {NumberText::offset(row.found[0]), shift(row.found[0] - old),
                          hows[outcome]});
                else if (row.sure == Sure::Several)
                    fill(report.text, row.more ? moreText : severalText,
                         {std::to_string(row.found.size()), list});
                else
                    report.text += noneText;
                if (!one)
                    report.text += keep ? keptText : "\n";
            }
            if (one)
                tables.tables.of(front).addresses[r] = std::int32_t(row.found[0]);
        }
    }
}

// The ported tables into the folder --output names, both or neither; the names written.
QStringList writeTables(Invocation &run, const Invocation::Tables &tables, const Report &report) {
    const QString folder = run.value("output");
    std::error_code ec;
    const auto place = Arguments::path(folder);
    if (report.unresolved() && !run.isSet("keep-unresolved")) {
        run.fail(Invocation::kRefused,
                 (report.unresolved() == 1
                      ? Invocation::tr("1 row is not found for certain: nothing was written. ")
                      : Invocation::tr("%1 rows are not found for certain: nothing was written. ")
                            .arg(report.unresolved())) +
                     Invocation::tr("Add --keep-unresolved to keep their old addresses."));
        return {};
    }
    if (std::filesystem::exists(place, ec) && !std::filesystem::is_directory(place, ec)) {
        run.fail(Invocation::kFailed, Invocation::tr("%1 is a file, not a folder. Nothing was "
                                                     "written.")
                                          .arg(Invocation::shown(folder)));
        return {};
    }
    std::vector<std::pair<QString, std::vector<std::uint8_t>>> files;
    for (const bool front : {false, true}) {
        const std::string body = ProgramFolder::tableText(tables.of(front));
        const auto name = std::filesystem::path(ProgramFolder::table(front)).filename();
        files.emplace_back(folder + QLatin1Char('/') + QString::fromStdString(name.string()),
                           std::vector<std::uint8_t>(body.begin(), body.end()));
    }
    QStringList written;
    if (run.writeAll(files))
        for (const auto &file : files)
            written << Invocation::shown(file.first);
    return written;
}

int run(Invocation &run) {
    FileBytes reference, other;
    Invocation::Tables tables;
    if (!run.readRom(run.args()[0], reference, FileIo::Source::File) ||
        !run.readRom(run.args()[1], other, FileIo::Source::File) || !run.readTables(tables))
        return run.failed();
    if (!fits(run, reference, tables))
        return run.failed();
    const PalettePort::Result result =
        PalettePort::port(reference.span(), other.span(), tables.tables);
    Report report;
    describe(run, tables, result, report);
    const int all = tables.of(false).rows() + tables.of(true).rows();
    const QStringList written =
        run.isSet("output") ? writeTables(run, tables, report) : QStringList();
    if (run.json()) {
        // The whole report, also when the writing stopped: then with the reason.
        QJsonObject summary{{"rows", all}};
        for (std::size_t k = 0; k < std::size(kOutcomes); ++k)
            summary[QLatin1String(kOutcomes[k].key)] = report.counts[k];
        QJsonObject json{{"reference", Invocation::shown(run.args()[0])},
                         {"other", Invocation::shown(run.args()[1])},
                         {"rows", report.rows},
                         {"summary", summary},
                         {"written", QJsonArray::fromStringList(written)}};
        if (const auto &failure = run.failure())
            json["error"] = QJsonObject{{"status", failure->first}, {"message", failure->second}};
        run.reportCarriesFailure();
        run.out() << QJsonDocument(json).toJson();
    } else {
        run.outBytes(
            {reinterpret_cast<const std::uint8_t *>(report.text.data()), report.text.size()});
        run.out() << Invocation::tr("%1 rows: %2 at the same place, %3 moved with their group, "
                                    "%4 found alone, %5 with several candidates, %6 not found.\n")
                         .arg(all)
                         .arg(report.count(Outcome::SamePlace))
                         .arg(report.count(Outcome::WithGroup))
                         .arg(report.count(Outcome::Alone))
                         .arg(report.count(Outcome::Several))
                         .arg(report.count(Outcome::None));
        for (const QString &name : written)
            run.out() << Invocation::tr("Wrote %1.\n").arg(name);
    }
    if (run.failure())
        return run.failed();
    return report.unresolved() ? Invocation::kRefused : Invocation::kDone;
}

} // namespace

extern const Command kPortCommand{
    "port",
    {{"REFERENCE", QT_TRANSLATE_NOOP("DataTool", "a ROM the tables fit")},
     {"OTHER", QT_TRANSLATE_NOOP("DataTool", "another copy of the game")}},
    QT_TRANSLATE_NOOP("DataTool", "Find where every palette of the tables lies in another copy."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "Looks for each table row of REFERENCE in OTHER by the bytes around its palette, rows "
        "that lie close together as one group. A row is found when bytes that belong to it "
        "agree at exactly one place, enough of them to rule out chance: its surroundings (a "
        "few changed bytes do not matter), its own colours where they are unchanged, or, in a "
        "recoloured copy, the bytes on both sides of it. A row that fits at several places has "
        "several candidates; one without such evidence is not found. REFERENCE must pass check "
        "without errors. Prints, for each row, its new address and the shift from the old one, "
        "and how it was found: at the same place, moved with its group, or found alone; or the "
        "candidates (the first ones, with \"or more\", when its surroundings are everywhere), "
        "or that it is not found. Then the counts.\n\nWith --output DIR, writes "
        "BackLocations.txt and FrontLocations.txt into DIR, both or neither: the same rows in "
        "the same order, each address written as its row wrote it, ready for Tintwright and "
        "for check on OTHER. A row with several candidates or none stops the writing, unless "
        "--keep-unresolved keeps its old address; with --format json the whole report is "
        "printed all the same, with the reason. Existing tables in DIR are replaced only "
        "with --force, and never the tables that were read.\n\nExit status: 0 every row found "
        "once, 1 rows with several candidates or none (nothing written, but with "
        "--keep-unresolved, which writes the tables and still ends 1), or tables that do not "
        "fit REFERENCE (nothing written), 2 a file that cannot be read or written, an empty "
        "ROM or a broken table."),
    {kFolderOption,
     kFormatOption,
     {"output", "DIR", QT_TRANSLATE_NOOP("DataTool", "Write the ported tables into DIR.")},
     {"keep-unresolved", nullptr,
      QT_TRANSLATE_NOOP("DataTool",
                        "Write the tables even when rows are not found for certain, with their "
                        "old addresses.")},
     kForceOption},
    run,
    true};

} // namespace tintwright
