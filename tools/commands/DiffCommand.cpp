// diff ORIGINAL EDITED: the palettes an edited ROM changed.
#include "Command.h"
#include "Invocation.h"
#include "document/NumberText.h"
#include "document/RomDiff.h"
#include "document/TextEncoding.h"

namespace tintwright {

namespace {

QString bytesText(const std::array<int, kPaletteBytes> &bytes) {
    QStringList text;
    for (const int byte : bytes)
        text << (byte < 0 ? QStringLiteral("--")
                          : QString::fromStdString(NumberText::hex(std::uint64_t(byte), 2)));
    return text.join(QLatin1Char(' '));
}

int run(Invocation &run) {
    FileBytes original;
    FileBytes edited;
    Invocation::Tables tables;
    if (!run.readRom(run.args()[0], original) || !run.readRom(run.args()[1], edited) ||
        !run.readTables(tables))
        return run.failed();
    const auto result = RomDiff::compare(original.span(), edited.span(), tables.tables);
    for (const RomDiff::Palette &palette : result.palettes)
        run.out() << QStringLiteral("%1 row %2 %3 %4: %5 -> %6\n")
                         .arg(QLatin1String(palette.front ? "front" : "back"))
                         .arg(LocationTable::number(palette.row))
                         .arg(QString::fromStdString(TextEncoding::quoted(
                                  tables.of(palette.front).names[std::size_t(palette.row)])),
                              QString::fromStdString(NumberText::offset(palette.address)),
                              bytesText(palette.before), bytesText(palette.after));
    const qint64 outside = result.outside;
    run.out() << (outside == 1
                      ? Invocation::tr("1 byte differs outside every palette.\n")
                      : Invocation::tr("%1 bytes differ outside every palette.\n").arg(outside));
    if (original.size != edited.size)
        run.out() << Invocation::tr("The sizes differ: %1 and %2 bytes.\n")
                         .arg(original.size)
                         .arg(edited.size);
    else
        run.out() << Invocation::tr("The sizes are the same: %1 bytes.\n").arg(original.size);
    const bool same = result.palettes.empty() && outside == 0 && original.size == edited.size;
    return same ? Invocation::kDone : Invocation::kRefused;
}

} // namespace

extern const Command kDiffCommand{
    "diff",
    {{"ORIGINAL", QT_TRANSLATE_NOOP("DataTool", "the ROM before the edits")},
     {"EDITED", QT_TRANSLATE_NOOP("DataTool", "the ROM after them")}},
    QT_TRANSLATE_NOOP("DataTool", "List the palettes an edited ROM changed against the original."),
    QT_TRANSLATE_NOOP("DataTool",
                      "Prints one line for each table row whose bytes differ (list, row, name, "
                      "address, the bytes before and after; -- past the end of a file), the "
                      "count of other bytes that differ, and whether the sizes do.\n\nExit "
                      "status: 0 the files are the same, 1 they differ, 2 a file that cannot be "
                      "read or a broken table."),
    {kFolderOption},
    run};

} // namespace tintwright
