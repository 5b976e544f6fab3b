// import ROM CSV: the palettes of a CSV file written into a ROM.
#include "Command.h"
#include "Invocation.h"
#include "document/PaletteCsv.h"

namespace tintwright {

namespace {

// "1 byte", "2 bytes".
QString count(qint64 n, const char *one, const char *many) {
    return QStringLiteral("%1 %2").arg(n).arg(Invocation::tr(n == 1 ? one : many));
}

int run(Invocation &run) {
    const QString romName = run.args()[0];
    const QString csvName = run.args()[1];
    FileBytes rom;
    FileBytes csv;
    Invocation::Tables tables;
    // The ROM is replaced whole, so it must be a file, held from here until it is replaced so
    // that another import waits; the CSV may come from a pipe.
    if (!run.lock(romName) || !run.readRom(romName, rom, FileIo::Source::File) ||
        !run.read(csvName, csv, Invocation::kLargestCsv) || !run.readTables(tables))
        return run.failed();
    PaletteCsv::Changes changes;
    try {
        changes = PaletteCsv::changes(csv.text(), tables.tables, rom.span());
    } catch (const Problem &problem) {
        const QString shown = csvName == QLatin1String(FileIo::kStandardStream)
                                  ? Invocation::tr("standard input")
                                  : Invocation::shown(csvName);
        return run.fail(Invocation::kRefused,
                        QString::fromStdString(problem.in(shown.toStdString()).what()) +
                            Invocation::tr(". Nothing was written."));
    }
    if (changes.bytes.empty()) {
        run.out() << Invocation::tr("Nothing changes: %1 is left as it was.\n")
                         .arg(Invocation::shown(romName));
        return Invocation::kDone;
    }
    const QString summary = Invocation::tr("%1 in %2")
                                .arg(count(qint64(changes.bytes.size()), "byte", "bytes"),
                                     count(changes.palettes, "palette", "palettes"));
    if (run.isSet("dry-run")) {
        run.out()
            << Invocation::tr("Would change %1; nothing was written (dry run).\n").arg(summary);
        return Invocation::kDone;
    }
    for (const auto &[index, value] : changes.bytes)
        rom.data[std::size_t(index)] = value;
    if (!run.write(romName, rom.span(), &rom))
        return Invocation::kFailed;
    run.out() << Invocation::tr("Changed %1 of %2.\n").arg(summary, Invocation::shown(romName));
    return Invocation::kDone;
}

} // namespace

extern const Command kImportCommand{
    "import",
    {{"ROM", QT_TRANSLATE_NOOP("DataTool", "the ROM to change: it is replaced whole")},
     {"CSV", QT_TRANSLATE_NOOP("DataTool",
                               "the palettes as export writes them, or - for standard input")}},
    QT_TRANSLATE_NOOP("DataTool", "Write the palettes of a CSV file into a ROM."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "CSV is a file as export writes it (- for standard input): its header, then records "
        "of list, row, name, address and three bytes. Each record is checked against the "
        "tables (the row must exist and have that address) and the ROM before anything is "
        "written: a byte is one or two hexadecimal digits; a byte that differs from the ROM "
        "must be a colour from 00 to 3F; a palette that does not lie wholly in the ROM has "
        "empty bytes. Only bytes that differ from the ROM are changes; two records that ask "
        "different values for one byte are refused with both lines, whatever the ROM holds. A "
        "CSV larger than 16 MiB is refused unread.\n\nThe ROM is held from reading to "
        "replacing, so a second import into it waits for the first. It is replaced all at once "
        "or not at all, even on a full disk: a link to it stays a link, and the file keeps its "
        "mode, group and extended attributes; one with other hard links is written in place "
        "once the new content is complete, so every name sees the change. A read-only ROM is "
        "refused. When nothing changes, nothing is written.\n\nExit status: 0 done, 1 the "
        "CSV is refused (its line and the reason; nothing is written), 2 a file that cannot be "
        "read or written, an empty ROM or a broken table (nothing is written), or a report "
        "that cannot be written (which says that the ROM was changed)."),
    {kFolderOption,
     {"dry-run", nullptr, QT_TRANSLATE_NOOP("DataTool", "Report, but write nothing.")}},
    run};

} // namespace tintwright
