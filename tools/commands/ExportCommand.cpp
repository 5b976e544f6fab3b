// export ROM: every palette of the tables as CSV.
#include "Command.h"
#include "Invocation.h"
#include "document/NesColour.h"
#include "document/NumberText.h"
#include "document/PaletteCsv.h"
#include "document/TextEncoding.h"

#include <algorithm>

namespace tintwright {

namespace {

int run(Invocation &run) {
    FileBytes rom;
    Invocation::Tables tables;
    if (!run.readRom(run.args()[0], rom) || !run.readTables(tables))
        return run.failed();
    int status = Invocation::kDone;
    std::string csv(PaletteCsv::kHeader);
    csv += "\r\n";
    const auto size = std::int64_t(rom.size);
    for (const bool front : {false, true}) {
        const LocationTable &table = tables.of(front);
        for (int row = 0; row < table.rows(); ++row) {
            const auto r = std::size_t(row);
            const std::int64_t address = table.addresses[r];
            const bool inside = address >= 0 && address + kPaletteBytes <= size;
            if (!inside) {
                status = run.fail(
                    Invocation::kRefused,
                    Invocation::tr("%1, line %2, %3, address %4: its bytes lie outside the ROM "
                                   "(%5 bytes)")
                        .arg(tables.file(front))
                        .arg(table.lines[r])
                        .arg(QString::fromStdString(TextEncoding::quoted(table.names[r])),
                             QString::fromStdString(NumberText::offset(address)))
                        .arg(rom.size));
            }
            const std::string &name = table.names[r];
            PaletteCsv::appendRecord(csv, front, row,
                                     TextEncoding::isValidUtf8(name) ? name
                                                                     : TextEncoding::toUtf8(name),
                                     address, inside ? rom.data.get() + address : nullptr);
        }
    }
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(csv.data()), csv.size());
    if (!run.isSet("output"))
        run.outBytes(bytes);
    else if (!run.write(run.value("output"), bytes))
        return Invocation::kFailed;
    return status;
}

} // namespace

extern const Command kExportCommand{
    "export",
    {{"ROM", QT_TRANSLATE_NOOP("DataTool",
                               "the ROM whose palettes are written, or - for standard input")}},
    QT_TRANSLATE_NOOP("DataTool", "Write every palette of the tables as CSV."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "Writes the header list,row,name,address,byte0,byte1,byte2 and one record per table "
        "row, back rows first (RFC 4180 quoting, CR LF): the list (back or front), the row, the "
        "sprite's name, its palette address (0x008010, or a negative one as the table has it) "
        "and its three bytes in hexadecimal, left empty when the palette does not lie wholly in "
        "the ROM. A name a spreadsheet would take for a formula (one that starts with =, +, -, @ "
        "or a tab) is written after a ' so that it shows as text. ROM may be - for standard "
        "input (at most 128 MiB).\n\nOutput goes to standard output, or to FILE with --output: "
        "-, /dev/stdout, /dev/stderr and /dev/fd/N are those streams, a pipe or a device is "
        "written into, a regular file is replaced all at once or not at all (only with --force "
        "when it exists or appears while it is written; never one of the inputs, whatever name "
        "or link leads to it; a link that leads nowhere yet gets its file).\n\nExit status: 0 "
        "done, 1 a row lies outside the ROM (named; the CSV is still written), 2 a file that "
        "cannot be read or written, an empty ROM or a broken table."),
    {kFolderOption,
     {"output", "FILE", QT_TRANSLATE_NOOP("DataTool", "Write to FILE, not to standard output.")},
     kForceOption},
    run};

} // namespace tintwright
